# What the start leaves for later, in a program of its own (nothing before it plays a melody).
find_package(Qt6 REQUIRED COMPONENTS Test)
zemlo_add_gtest(NAME deferred_libraries_tests
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/deferred_libraries_test.cpp
            ${CMAKE_CURRENT_LIST_DIR}/offscreen_app.cpp
    LIBS zemlo_shell Qt6::Test
    LABELS widget)
