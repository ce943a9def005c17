# SPDX-License-Identifier: GPL-3.0-or-later
# vantrel_add_gtest(NAME name SOURCES ... LIBS ... [LABELS label] [TIMEOUT s] [QT_MAIN])
# One GoogleTest executable, its tests discovered into CTest. Give one label: `ctest -L`
# takes a regular expression, so "link-serial" is selected by both -L link and -L serial.
# QT_MAIN: the tests run inside a QApplication (offscreen, settings of their own).
include(GoogleTest)
if(CMAKE_CROSSCOMPILING)
  # Debian's GoogleTest libraries are for the host: build its source with the cross compiler
  # (a few seconds). The tests are listed when CTest runs them, through the emulator.
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  set(vantrel_discovery_mode PRE_TEST)
else()
  find_package(GTest REQUIRED)
  set(vantrel_discovery_mode POST_BUILD)
endif()

# The desktop program's tests share one precompiled set of Qt and GoogleTest headers: parsing
# them again for each test source cost more than compiling the test itself. (Plain tests
# go without: GCC 12 reports false array-bounds warnings in the standard library's string
# code once its headers come from a precompiled header.)
file(WRITE ${CMAKE_BINARY_DIR}/generated/pch_anchor.cpp "// anchors the precompiled headers\n")
if(TARGET Qt6::Widgets)
  add_library(vantrel_qtest_pch OBJECT ${CMAKE_BINARY_DIR}/generated/pch_anchor.cpp)
  target_link_libraries(vantrel_qtest_pch PRIVATE Qt6::Widgets GTest::gtest GTest::gmock)
  # Neither <QtTest> nor its definitions: they name each test's own build folder.
  target_precompile_headers(vantrel_qtest_pch PRIVATE <gtest/gtest.h> <gmock/gmock.h> <QtWidgets>)
  vantrel_warnings(vantrel_qtest_pch)
endif()
function(vantrel_add_gtest)
  cmake_parse_arguments(T "QT_MAIN" "NAME;TIMEOUT" "SOURCES;LIBS;LABELS" ${ARGN})
  if(T_QT_MAIN)
    add_executable(${T_NAME} ${T_SOURCES} ${PROJECT_SOURCE_DIR}/tests/support/QtTestMain.cpp)
    target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} Qt6::Widgets Qt6::Test GTest::gtest
                                            GTest::gmock)
    target_precompile_headers(${T_NAME} REUSE_FROM vantrel_qtest_pch)
    # The false array-bounds and overflow faults of GCC 12 with precompiled headers (src/app/CMakeLists.txt).
    target_compile_options(${T_NAME} PRIVATE $<$<CXX_COMPILER_ID:GNU>:-Wno-array-bounds -Wno-stringop-overflow>)
  else()
    add_executable(${T_NAME} ${T_SOURCES})
    target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} GTest::gtest GTest::gmock
                                            GTest::gtest_main)
  endif()
  vantrel_warnings(${T_NAME})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 120)
  endif()
  gtest_discover_tests(${T_NAME} DISCOVERY_TIMEOUT 60 DISCOVERY_MODE ${vantrel_discovery_mode}
                       PROPERTIES LABELS "${T_LABELS}" TIMEOUT ${T_TIMEOUT})
endfunction()
