quillon_unit_test(query_unit_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/text_routines_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/classify_query_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/paste_rules_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/setup_pair_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/word_set_test.cpp
  LIBS quillon_query)
