# vantrel_add_gtest(NAME name SOURCES ... LIBS ... [LABELS label] [TIMEOUT s])
# One GoogleTest executable, its tests discovered into CTest. Give one label: `ctest -L`
# takes a regular expression, so "link-serial" is selected by both -L link and -L serial.
include(GoogleTest)
find_package(GTest REQUIRED)
function(vantrel_add_gtest)
  cmake_parse_arguments(T "" "NAME;TIMEOUT" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  vantrel_warnings(${T_NAME})
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} GTest::gtest GTest::gmock GTest::gtest_main)
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 120)
  endif()
  gtest_discover_tests(${T_NAME} DISCOVERY_TIMEOUT 60
                       PROPERTIES LABELS "${T_LABELS}" TIMEOUT ${T_TIMEOUT})
endfunction()
