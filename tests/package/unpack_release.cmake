cmake_minimum_required(VERSION 3.25)

# Makes the release zip with cpack, as the package target does, unpacks it
# into UNPACKED and checks that it holds what a user needs and nothing more.
#   cmake -DCPACK=... -DCPACK_CONFIG=... -DBUILD_CONFIG=... -DZIP_NAME=...
#         -DSCRATCH=... -DUNPACKED=... -P unpack_release.cmake

file(REMOVE_RECURSE "${SCRATCH}" "${UNPACKED}")
execute_process(
  COMMAND "${CPACK}" --config "${CPACK_CONFIG}" -C "${BUILD_CONFIG}" -B "${SCRATCH}"
  RESULT_VARIABLE failed)
set(zip "${SCRATCH}/${ZIP_NAME}.zip")
if(failed OR NOT EXISTS "${zip}")
  message(FATAL_ERROR "cpack made no ${zip}")
endif()

file(ARCHIVE_EXTRACT INPUT "${zip}" DESTINATION "${UNPACKED}")
file(GLOB_RECURSE entries LIST_DIRECTORIES true RELATIVE "${UNPACKED}" "${UNPACKED}/*")
list(SORT entries)
set(expected
  "${ZIP_NAME}"
  "${ZIP_NAME}/CZYTAJ.txt"
  "${ZIP_NAME}/Dane"
  "${ZIP_NAME}/Dane/obiekt.obj"
  "${ZIP_NAME}/figury.exe")
if(NOT entries STREQUAL expected)
  string(REPLACE ";" "\n  " entries "${entries}")
  message(FATAL_ERROR "the zip holds:\n  ${entries}")
endif()

# The note must keep its byte order mark, or Notepad may take it for the
# system's code page and garble the Polish letters.
file(READ "${UNPACKED}/${ZIP_NAME}/CZYTAJ.txt" start LIMIT 3 HEX)
if(NOT start STREQUAL "efbbbf")
  message(FATAL_ERROR "CZYTAJ.txt does not start with the UTF-8 byte order mark")
endif()
message(STATUS "${zip}: ${entries}")
