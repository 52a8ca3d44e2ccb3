# GoogleTest: the machine's package natively; built from the packaged sources
# when cross-compiling for Windows here; on Windows itself an installed one
# (vcpkg, or GTest_DIR), else fetched at configure time.
if(CMAKE_CROSSCOMPILING)
  if(NOT TARGET GTest::gtest_main)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
    set(FIGURY_GOOGLETEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources")
    if(NOT EXISTS "${FIGURY_GOOGLETEST_SOURCE}/CMakeLists.txt")
      message(FATAL_ERROR "no GoogleTest sources in FIGURY_GOOGLETEST_SOURCE (${FIGURY_GOOGLETEST_SOURCE}); "
        "install the googletest package or configure with -DFIGURY_TESTS=OFF")
    endif()
    add_subdirectory(${FIGURY_GOOGLETEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  endif()
elseif(WIN32)
  # The test programs use the same C runtime as the rest (/MD).
  set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  include(FetchContent)
  FetchContent_Declare(googletest
    GIT_REPOSITORY https://github.com/google/googletest.git
    GIT_TAG v1.14.0
    GIT_SHALLOW TRUE
    FIND_PACKAGE_ARGS NAMES GTest)
  FetchContent_MakeAvailable(googletest)
else()
  find_package(GTest REQUIRED)
endif()
include(GoogleTest)

if(CMAKE_CROSSCOMPILING)
  if(NOT CMAKE_CROSSCOMPILING_EMULATOR)
    message(FATAL_ERROR "the Windows build's tests run under Wine: install wine, or configure with -DFIGURY_TESTS=OFF")
  endif()

  # Every test under Wine runs in this build's own prefix, in the Polish locale
  # (Wine's ANSI code page is then 1250), on a private X display. The cases
  # that compare Polish text run once more in a second prefix whose code page
  # is 1252, as on an English or German Windows, on the same display.
  set(FIGURY_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix)
  set(FIGURY_WINE_LOCALE pl_PL.UTF-8)
  set(FIGURY_WINEPREFIX_1252 ${CMAKE_BINARY_DIR}/wineprefix-1252)
  set(FIGURY_WINE_LOCALE_1252 C.UTF-8)
  set(FIGURY_TEST_DISPLAY "" CACHE STRING
    "X display number of the tests under Wine; empty chooses a free one when configuring")
  if(FIGURY_TEST_DISPLAY)
    set(wine_display ${FIGURY_TEST_DISPLAY})
  else()
    # Builds on one machine start their search at different numbers, above
    # those the scripts' own displays use (90 to 190).
    string(MD5 wine_display "${CMAKE_BINARY_DIR}")
    string(SUBSTRING "${wine_display}" 0 6 wine_display)
    math(EXPR wine_display "0x${wine_display} % 700 + 200")
    while(EXISTS "/tmp/.X${wine_display}-lock" OR EXISTS "/tmp/.X11-unix/X${wine_display}")
      math(EXPR wine_display "${wine_display} + 1")
    endwhile()
  endif()
  # FIGURY_ANSI_CODE_PAGE tells a case which code page it is meant to run in.
  set(FIGURY_WINE_ENVIRONMENT
    DISPLAY=:${wine_display} WINEPREFIX=${FIGURY_WINEPREFIX} WINEARCH=win64 WINEDEBUG=-all
    LANG=${FIGURY_WINE_LOCALE} LC_ALL=${FIGURY_WINE_LOCALE} FIGURY_ANSI_CODE_PAGE=1250)
  set(FIGURY_WINE_ENVIRONMENT_1252
    DISPLAY=:${wine_display} WINEPREFIX=${FIGURY_WINEPREFIX_1252} WINEARCH=win64 WINEDEBUG=-all
    LANG=${FIGURY_WINE_LOCALE_1252} LC_ALL=${FIGURY_WINE_LOCALE_1252} FIGURY_ANSI_CODE_PAGE=1252)

  set(wine_fixture ${PROJECT_SOURCE_DIR}/scripts/wine-fixture.sh)
  set(wine_state ${CMAKE_BINARY_DIR}/wine-fixture.state)
  add_test(NAME wine_start COMMAND bash ${wine_fixture} start ${wine_display} ${wine_state}
    ${FIGURY_WINEPREFIX} ${FIGURY_WINE_LOCALE} ${FIGURY_WINEPREFIX_1252} ${FIGURY_WINE_LOCALE_1252})
  add_test(NAME wine_stop COMMAND bash ${wine_fixture} stop ${wine_state} ${FIGURY_WINEPREFIX} ${FIGURY_WINEPREFIX_1252})
  set_tests_properties(wine_start PROPERTIES FIXTURES_SETUP wine TIMEOUT 300)
  set_tests_properties(wine_stop PROPERTIES FIXTURES_CLEANUP wine TIMEOUT 60)

  # ctest lists the cases of a suite under Wine when it starts, before any
  # test and so before the fixture: the listing gets the Polish prefix (made
  # now if missing), its locale and no display; the variables are restored
  # after. The fixture makes the second prefix.
  set(FIGURY_WINE_LISTING_BEGIN ${CMAKE_BINARY_DIR}/wine_listing_begin.cmake)
  file(CONFIGURE OUTPUT ${FIGURY_WINE_LISTING_BEGIN} @ONLY CONTENT [==[
set(figury_listing_variables WINEPREFIX WINEARCH WINEDEBUG LANG LC_ALL DISPLAY)
foreach(name IN LISTS figury_listing_variables)
  set(figury_listing_had_${name} FALSE)
  if(DEFINED ENV{${name}})
    set(figury_listing_had_${name} TRUE)
    set(figury_listing_saved_${name} "$ENV{${name}}")
  endif()
endforeach()
set(ENV{WINEPREFIX} [[@FIGURY_WINEPREFIX@]])
set(ENV{WINEARCH} win64)
set(ENV{WINEDEBUG} -all)
set(ENV{LANG} @FIGURY_WINE_LOCALE@)
set(ENV{LC_ALL} @FIGURY_WINE_LOCALE@)
unset(ENV{DISPLAY})
if(NOT EXISTS [[@FIGURY_WINEPREFIX@/.figury-ready]])
  message(STATUS "Making the Wine prefix @FIGURY_WINEPREFIX@")
  execute_process(COMMAND bash [[@wine_fixture@]] prefix [[@FIGURY_WINEPREFIX@]] @FIGURY_WINE_LOCALE@
    RESULT_VARIABLE figury_listing_failed)
  if(figury_listing_failed)
    message(FATAL_ERROR "could not make the Wine prefix @FIGURY_WINEPREFIX@")
  endif()
endif()
]==])
  unset(wine_display)
  unset(wine_fixture)
  unset(wine_state)
endif()

# Puts a test under Wine: the fixture's display and Polish prefix, or with
# CODE_PAGE 1252 the second prefix, through the test's environment. Tests
# built for this machine run as they are.
# figury_under_wine(test... [CODE_PAGE 1252])
function(figury_under_wine)
  cmake_parse_arguments(ARG "" "CODE_PAGE" "" ${ARGN})
  if(CMAKE_CROSSCOMPILING)
    set(environment ${FIGURY_WINE_ENVIRONMENT})
    if(ARG_CODE_PAGE STREQUAL "1252")
      set(environment ${FIGURY_WINE_ENVIRONMENT_1252})
    elseif(ARG_CODE_PAGE)
      message(FATAL_ERROR "no Wine prefix with code page ${ARG_CODE_PAGE}")
    endif()
    set_property(TEST ${ARG_UNPARSED_ARGUMENTS} APPEND PROPERTY ENVIRONMENT ${environment})
    set_property(TEST ${ARG_UNPARSED_ARGUMENTS} APPEND PROPERTY FIXTURES_REQUIRED wine)
  endif()
endfunction()

# Called at the end of a directory whose suites ctest lists under Wine: gives
# their cases the Wine environment (gtest_discover_tests' PROPERTIES cannot
# carry a list) and gives back ctest's own variables.
function(figury_wine_listing_end)
  get_property(lists DIRECTORY PROPERTY FIGURY_WINE_TEST_LISTS)
  list(TRANSFORM lists REPLACE "(.+)" "\${\\1}")
  list(JOIN lists " " lists)
  set(listed_end ${CMAKE_CURRENT_BINARY_DIR}/wine_listing_end.cmake)
  file(CONFIGURE OUTPUT ${listed_end} @ONLY CONTENT [==[
set(figury_listed_tests @lists@)
if(figury_listed_tests)
  set_tests_properties(${figury_listed_tests} PROPERTIES
    ENVIRONMENT [[@FIGURY_WINE_ENVIRONMENT@]] FIXTURES_REQUIRED wine)
endif()
foreach(name IN LISTS figury_listing_variables)
  if(figury_listing_had_${name})
    set(ENV{${name}} "${figury_listing_saved_${name}}")
  else()
    unset(ENV{${name}})
  endif()
endforeach()
]==])
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${listed_end})
endfunction()

# figury_add_gtest(name SOURCES ... [LIBRARIES ...] [LABELS ...] [CP1252_CASES Suite.Case ...])
# Every test case is its own ctest entry, so that a failure names it, except
# the unit suites under Wine: there each runs whole, as one Wine start per case
# would cost more than the cases. Suites labelled windows or e2e show windows
# and move the pointer, so their cases take the display one at a time; under
# Wine the cases that CP1252_CASES names, those that compare Polish text, run
# once more in the prefix whose code page is 1252, named with the suffix
# _cp1252.
function(figury_add_gtest name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBRARIES;LABELS;CP1252_CASES" ${ARGN})
  if(NOT ARG_LABELS)
    set(ARG_LABELS unit)
  endif()
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBRARIES} GTest::gtest_main figury_warnings)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  set(on_screen FALSE)
  if(ARG_LABELS MATCHES "^(windows|e2e)$")
    set(on_screen TRUE)
  endif()

  if(NOT CMAKE_CROSSCOMPILING)
    set(screen_properties)
    if(on_screen)
      set(screen_properties RESOURCE_LOCK display TIMEOUT 120)
    endif()
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES LABELS ${ARG_LABELS} ${screen_properties})
  elseif(NOT on_screen)
    add_test(NAME ${name} COMMAND ${name} --gtest_brief=1)
    set_tests_properties(${name} PROPERTIES LABELS "${ARG_LABELS}")
    figury_under_wine(${name})
  else()
    # Listed under Wine when ctest starts, so that nothing runs at build time.
    get_property(listing DIRECTORY PROPERTY FIGURY_WINE_TEST_LISTS)
    if(NOT listing)
      set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${FIGURY_WINE_LISTING_BEGIN})
      cmake_language(DEFER CALL figury_wine_listing_end)
    endif()
    set_property(DIRECTORY APPEND PROPERTY FIGURY_WINE_TEST_LISTS ${name}_TESTS)
    gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 120 TEST_LIST ${name}_TESTS
      PROPERTIES LABELS ${ARG_LABELS} RESOURCE_LOCK display TIMEOUT 120)
    # Named here, these need no second listing under Wine (about 4 seconds a
    # suite); a name that no case bears fails instead of passing as an empty run.
    foreach(case IN LISTS ARG_CP1252_CASES)
      add_test(NAME ${case}_cp1252 COMMAND ${name} --gtest_filter=${case})
      set_tests_properties(${case}_cp1252 PROPERTIES LABELS ${ARG_LABELS} RESOURCE_LOCK display TIMEOUT 120
        PASS_REGULAR_EXPRESSION "\\[  PASSED  \\] 1 test\\.")
      figury_under_wine(${case}_cp1252 CODE_PAGE 1252)
    endforeach()
  endif()
endfunction()
