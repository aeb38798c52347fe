quillon_unit_test(app_test
  SOURCES placement_test.cpp settings_values_test.cpp command_routing_test.cpp
          icon_files_test.cpp
  LIBS quillon_app)
target_compile_definitions(app_test PRIVATE QUILLON_ICON_DIR="${PROJECT_SOURCE_DIR}/res/icons")
