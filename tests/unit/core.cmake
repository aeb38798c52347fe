# The core's answer rules over a fake source, its writers and scan over answers made by hand;
# JSON is read back with nlohmann-json.
quillon_unit_test(core_test SOURCES answers_test.cpp LIBS quillon_core)
quillon_unit_test(writers_test SOURCES writers_test.cpp LIBS quillon_core nlohmann_json::nlohmann_json)
quillon_unit_test(scan_test SOURCES scan_test.cpp LIBS quillon_core)
# What a front end asks of the core as queries and texts: the command line's and the browser's.
quillon_unit_test(session_test SOURCES query_answers_test.cpp json_session_test.cpp
                  LIBS quillon_core nlohmann_json::nlohmann_json)
