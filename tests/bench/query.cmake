quillon_benchmark(classify_query_bench
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/classify_query_bench.cpp
  LIBS quillon_query)
