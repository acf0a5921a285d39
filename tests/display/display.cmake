zemlo_add_gtest(NAME display_driver_tests
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/display_driver_test.cpp
    LIBS zemlo_display_core)
