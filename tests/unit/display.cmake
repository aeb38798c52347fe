quillon_unit_test(display_test SOURCES facility_names_test.cpp type_views_test.cpp
                  LIBS quillon_display)
