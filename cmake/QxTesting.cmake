# qx_add_gtest(NAME SOURCES ... [LIBS ...]): one GoogleTest program, run by
# CTest (through Wine on the Windows build). Tests find checked-in data under
# QX_SOURCE_DIR.
function(qx_add_gtest name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gmock GTest::gtest_main)
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES ENVIRONMENT "QX_SOURCE_DIR=${CMAKE_SOURCE_DIR}")
endfunction()
