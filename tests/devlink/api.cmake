# The library's name tables and trace format, called directly.
zemlo_add_gtest(NAME devlink_api_unit_tests
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/api_name_tables_test.cpp
    LIBS handlink_core)
