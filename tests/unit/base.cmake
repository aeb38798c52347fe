quillon_unit_test(base_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/code_bits_test.cpp LIBS quillon_base)
