quillon_unit_test(app_test
  SOURCES placement_test.cpp settings_values_test.cpp command_routing_test.cpp
  LIBS quillon_app)
