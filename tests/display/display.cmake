zemlo_add_gtest(NAME display_driver_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/display_driver_test.cpp
    LIBS zemlo_display_core)
