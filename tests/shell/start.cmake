# What the start leaves for later, in a program of its own (nothing before it plays a melody).
find_package(Qt6 REQUIRED COMPONENTS Test)
zemlo_add_gtest(NAME deferred_libraries_tests
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/deferred_libraries_test.cpp
            ${CMAKE_CURRENT_LIST_DIR}/offscreen_app.cpp
            ${CMAKE_CURRENT_LIST_DIR}/folder_reads_end.cpp
    LIBS zemlo_shell Qt6::Test
    LABELS widget)
# Nothing asks for a font before the window's first text, in a program of its own (nothing
# before it has asked for one).
find_package(PkgConfig REQUIRED)
pkg_check_modules(ZEMLO_TEST_FONTCONFIG REQUIRED IMPORTED_TARGET fontconfig)
zemlo_add_gtest(NAME start_before_fonts_tests
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/start_before_fonts_test.cpp
            ${CMAKE_CURRENT_LIST_DIR}/offscreen_app.cpp
            ${CMAKE_CURRENT_LIST_DIR}/folder_reads_end.cpp
    LIBS zemlo_shell PkgConfig::ZEMLO_TEST_FONTCONFIG
    LABELS widget)
