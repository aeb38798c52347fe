# The core's answer rules over a fake source, its writers and scan over answers made by hand;
# JSON is read back with nlohmann-json.
quillon_unit_test(core_test SOURCES answers_test.cpp LIBS quillon_core)
quillon_unit_test(writers_test SOURCES writers_test.cpp LIBS quillon_core nlohmann_json::nlohmann_json)
quillon_unit_test(scan_test SOURCES scan_test.cpp LIBS quillon_core)
