quillon_unit_test(core_test SOURCES answers_test.cpp LIBS quillon_core)
