# The JSON writers a run could write its answers with: ours beside RapidJSON's Writer and
# nlohmann-json's document (Debian: rapidjson-dev, nlohmann-json3-dev).
find_package(RapidJSON REQUIRED)
find_package(nlohmann_json REQUIRED)
quillon_benchmark(json_writer_bench
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/json_writer_bench.cpp
  LIBS quillon_core nlohmann_json::nlohmann_json)
target_include_directories(json_writer_bench PRIVATE ${RAPIDJSON_INCLUDE_DIRS})
