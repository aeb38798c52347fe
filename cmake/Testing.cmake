# quillon_unit_test(name SOURCES ... LIBS ...): one GoogleTest binary per module, run by CTest.
function(quillon_unit_test name)
  cmake_parse_arguments(arg "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${arg_SOURCES})
  target_link_libraries(${name} PRIVATE ${arg_LIBS} GTest::gtest GTest::gtest_main GTest::gmock)
  quillon_warnings(${name})
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60)
endfunction()

# quillon_benchmark(name SOURCES ... LIBS ...): a Google Benchmark binary, never run by CTest.
function(quillon_benchmark name)
  cmake_parse_arguments(arg "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${arg_SOURCES})
  target_link_libraries(${name} PRIVATE ${arg_LIBS} benchmark::benchmark benchmark::benchmark_main)
  quillon_warnings(${name})
endfunction()
