quillon_unit_test(lookup_test SOURCES message_lookup_test.cpp define_database_test.cpp search_test.cpp
                  LIBS quillon_lookup)
