# The release a Windows user unpacks anywhere and starts with a double click:
# figury.exe, the example house as the figure it opens, and a short Polish
# note on the five buttons. `cmake --build <build> --target package` makes
# figury-<version>-win64.zip in the build folder.
install(TARGETS figury RUNTIME DESTINATION .)

# CR LF, as the editor itself writes the file on Windows: opening the
# unpacked editor and closing it leaves the file as it was shipped.
configure_file(${PROJECT_SOURCE_DIR}/examples/house.obj ${CMAKE_BINARY_DIR}/release/obiekt.obj
  @ONLY NEWLINE_STYLE CRLF)
install(FILES ${CMAKE_BINARY_DIR}/release/obiekt.obj DESTINATION Dane)
# UTF-8 with a byte order mark and CR LF: Notepad shows the Polish letters
# right on every Windows, whatever its code page.
install(FILES ${PROJECT_SOURCE_DIR}/packaging/CZYTAJ.txt DESTINATION .)

if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(FIGURY_PACKAGE_SYSTEM win64)
else()
  set(FIGURY_PACKAGE_SYSTEM win32)
endif()
set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME figury)
set(FIGURY_PACKAGE_FILE_NAME figury-${PROJECT_VERSION}-${FIGURY_PACKAGE_SYSTEM})
set(CPACK_PACKAGE_FILE_NAME ${FIGURY_PACKAGE_FILE_NAME})
# One folder of that name inside the zip, so that unpacking makes one place.
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
# The user gets the program without the build's debug information.
set(CPACK_STRIP_FILES ON)
include(CPack)
