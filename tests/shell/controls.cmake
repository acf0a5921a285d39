# The owner-drawn controls: their arithmetic directly, their painting offscreen, pixel by pixel.
find_package(Qt6 REQUIRED COMPONENTS Test)
zemlo_add_gtest(NAME controls_tests
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/controls_logic_test.cpp
            ${CMAKE_CURRENT_LIST_DIR}/controls_widget_test.cpp
            ${CMAKE_CURRENT_LIST_DIR}/artwork_test.cpp
            ${CMAKE_CURRENT_LIST_DIR}/offscreen_app.cpp
    LIBS zemlo_controls Qt6::Test)
