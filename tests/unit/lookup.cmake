quillon_unit_test(lookup_test SOURCES message_lookup_test.cpp define_database_test.cpp probe_kind_test.cpp
                  search_test.cpp wrapped_code_test.cpp
                  LIBS quillon_lookup quillon_defines)

include(${CMAKE_CURRENT_LIST_DIR}/message_files/message_files.cmake)
set(message_files_dir ${CMAKE_CURRENT_BINARY_DIR}/message_files)
quillon_message_files(${message_files_dir})
quillon_unit_test(message_files_test
                  SOURCES message_table_test.cpp pe_resources_test.cpp file_message_source_test.cpp
                          language_names_test.cpp
                  LIBS quillon_message_files)
target_compile_definitions(message_files_test
                           PRIVATE QUILLON_TEST_MESSAGE_FILES="${message_files_dir}")
add_dependencies(message_files_test message_files)
