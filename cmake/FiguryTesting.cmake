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
    # No suite spends its time in GoogleTest, and its own code is not what is
    # tested here: built light, gtest-all.cc, the build's largest source,
    # compiles in half the time.
    target_compile_options(gtest PRIVATE -O1 -g0)
    target_compile_options(gtest_main PRIVATE -O1 -g0)
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

# What the suites share, compiled once: scratch folders and whole-file reads
# and writes, and for the suites of the Windows program the message box
# catcher. GoogleTest's header, and windows.h for those suites, are most of
# what a suite's source costs to compile: each library precompiles them once
# and the suites reuse the result (figury_add_gtest), which needs the same
# flags (CMake adds -Winvalid-pch, so a suite that cannot use it warns).
add_library(figury_test_support STATIC ${PROJECT_SOURCE_DIR}/tests/support/files.cpp)
target_include_directories(figury_test_support PUBLIC ${PROJECT_SOURCE_DIR}/tests)
target_link_libraries(figury_test_support PUBLIC GTest::gtest PRIVATE figury_warnings)
set(FIGURY_TEST_PCH OFF)
if(NOT MSVC)
  set(FIGURY_TEST_PCH ON)
  target_precompile_headers(figury_test_support PRIVATE <gtest/gtest.h>)
  # The suites' own sources, which link this, carry line tables only: a
  # failure's backtrace still names file and line, the code under test keeps
  # its full debug information, and the suites compile in a quarter less time.
  target_compile_options(figury_test_support PUBLIC $<$<CONFIG:RelWithDebInfo>:-g1>)
endif()
if(WIN32)
  add_library(figury_win32_test_support STATIC
    ${PROJECT_SOURCE_DIR}/tests/support/manifest.cpp
    ${PROJECT_SOURCE_DIR}/tests/support/message_box_catcher.cpp)
  target_link_libraries(figury_win32_test_support PUBLIC figury_test_support user32 PRIVATE figury_warnings)
  # Set for every suite that links this, as the window library sets it for
  # its own: then one precompiled windows.h serves them all.
  target_compile_definitions(figury_win32_test_support PUBLIC NOMINMAX)
  if(FIGURY_TEST_PCH)
    target_precompile_headers(figury_win32_test_support PRIVATE <gtest/gtest.h> <windows.h>)
  endif()
endif()

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

# figury_add_gtest(name SOURCES ... [LIBRARIES ...] [LABELS ...] [CP1252_CASES Suite.Case ...])
# Natively every test case is its own ctest entry, so that a failure names it.
# Under Wine each suite runs whole, as one entry: a Wine start and a first
# window cost a second or two each, more than most cases (GTEST_FILTER picks
# cases). Suites labelled windows or e2e show windows and move the pointer, so
# they take the display one at a time. Under Wine the cases that CP1252_CASES
# names, those that compare Polish text, run once more together in the prefix
# whose code page is 1252, as the entry NAME_cp1252.
function(figury_add_gtest name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBRARIES;LABELS;CP1252_CASES" ${ARGN})
  if(NOT ARG_LABELS)
    set(ARG_LABELS unit)
  endif()
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBRARIES} figury_test_support GTest::gtest_main figury_warnings)
  if(FIGURY_TEST_PCH)
    # Portable suites must not see windows.h: its macros (near, far, ERROR)
    # would rename their identifiers.
    if(figury_win32_test_support IN_LIST ARG_LIBRARIES)
      target_precompile_headers(${name} REUSE_FROM figury_win32_test_support)
    else()
      target_precompile_headers(${name} REUSE_FROM figury_test_support)
    endif()
  endif()
  set(screen_properties)
  if(ARG_LABELS MATCHES "^(windows|e2e)$")
    set(screen_properties RESOURCE_LOCK display)
  endif()

  if(NOT CMAKE_CROSSCOMPILING)
    if(screen_properties)
      list(APPEND screen_properties TIMEOUT 120)
    endif()
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES LABELS ${ARG_LABELS} ${screen_properties})
  else()
    # On-screen suites report every case with its time (in Testing/Temporary/LastTest.log).
    set(brief --gtest_brief=1)
    if(screen_properties)
      set(brief)
    endif()
    add_test(NAME ${name} COMMAND ${name} ${brief})
    set_tests_properties(${name} PROPERTIES LABELS "${ARG_LABELS}" TIMEOUT 600 ${screen_properties})
    figury_under_wine(${name})
    if(ARG_CP1252_CASES)
      # A name that no case bears fails instead of passing as a smaller run.
      list(LENGTH ARG_CP1252_CASES count)
      list(JOIN ARG_CP1252_CASES ":" filter)
      add_test(NAME ${name}_cp1252 COMMAND ${name} --gtest_filter=${filter})
      set_tests_properties(${name}_cp1252 PROPERTIES LABELS "${ARG_LABELS}" TIMEOUT 600 ${screen_properties}
        PASS_REGULAR_EXPRESSION "\\[  PASSED  \\] ${count} tests?\\.")
      figury_under_wine(${name}_cp1252 CODE_PAGE 1252)
    endif()
  endif()
endfunction()
