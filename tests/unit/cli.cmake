quillon_unit_test(cli_test SOURCES cli_test.cpp terminal_text_test.cpp json_text_test.cpp
                           scan_inputs_test.cpp bug_check_arguments_test.cpp file_pieces_test.cpp
                  LIBS quillon_cli nlohmann_json::nlohmann_json)
# The program itself, run as a user would, with the generated database and Wine's DLLs.
quillon_unit_test(cli_process_test SOURCES cli_process_test.cpp
                  LIBS quillon_cli nlohmann_json::nlohmann_json)
target_compile_definitions(cli_process_test PRIVATE
                           QUILLON_CLI="$<TARGET_FILE:quillon-cli>"
                           QUILLON_DEFINES_DB="${CMAKE_BINARY_DIR}/defines.db3"
                           QUILLON_TEST_MESSAGE_FILES="${CMAKE_CURRENT_BINARY_DIR}/message_files")
add_dependencies(cli_process_test quillon-cli defines_db message_files)
