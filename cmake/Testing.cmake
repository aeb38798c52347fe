# quillon_unit_test(name SOURCES ... LIBS ... [ONE_PROCESS suite ...]): one GoogleTest binary per
# module, run by CTest a test per process. A suite named in ONE_PROCESS runs as one CTest test,
# so that its tests share what its SetUpTestSuite makes at great cost (a whole database).
function(quillon_unit_test name)
  cmake_parse_arguments(arg "" "" "SOURCES;LIBS;ONE_PROCESS" ${ARGN})
  add_executable(${name} ${arg_SOURCES})
  target_link_libraries(${name} PRIVATE ${arg_LIBS} GTest::gtest GTest::gtest_main GTest::gmock)
  quillon_warnings(${name})
  set(apart)
  foreach(suite IN LISTS arg_ONE_PROCESS)
    list(APPEND apart "${suite}.*")
    add_test(NAME ${suite} COMMAND ${name} --gtest_filter=${suite}.*)
    # The longest test: begun first, it runs beside the others rather than after them.
    set_tests_properties(${suite} PROPERTIES COST 1000)
  endforeach()
  if(apart)
    list(JOIN apart ":" apart)
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 TEST_FILTER "-${apart}")
  else()
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60)
  endif()
endfunction()

# quillon_benchmark(name SOURCES ... LIBS ...): a Google Benchmark binary, never run by CTest.
function(quillon_benchmark name)
  cmake_parse_arguments(arg "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${arg_SOURCES})
  target_link_libraries(${name} PRIVATE ${arg_LIBS} benchmark::benchmark benchmark::benchmark_main)
  quillon_warnings(${name})
endfunction()
