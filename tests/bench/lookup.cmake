quillon_benchmark(define_database_bench
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/define_database_bench.cpp
  LIBS quillon_defines quillon_query)
# The native build generates the database here; QUILLON_DEFINES_DB overrides it at run time.
# Beside it the database of the first nine headers, for the cost of the grown one.
target_compile_definitions(define_database_bench
  PRIVATE QUILLON_DEFAULT_DEFINES_DB="${CMAKE_BINARY_DIR}/defines.db3"
          QUILLON_DEFAULT_CORE_DEFINES_DB="${CMAKE_BINARY_DIR}/defines-core.db3")
if(TARGET defines_db)
  add_dependencies(define_database_bench defines_db defines_core_db)
endif()

quillon_benchmark(message_files_bench
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/message_files_bench.cpp
  LIBS quillon_message_files)
