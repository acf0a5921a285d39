# The main window and its dialogs on small and large screens, once for each scale factor the
# program runs at: the same program, its cases registered again with QT_SCALE_FACTOR set.
find_package(Qt6 REQUIRED COMPONENTS Test)
zemlo_add_gtest(NAME window_fit_tests
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/window_fit_test.cpp
            ${CMAKE_CURRENT_LIST_DIR}/offscreen_app.cpp
            ${CMAKE_CURRENT_LIST_DIR}/folder_reads_end.cpp
    LIBS zemlo_shell Qt6::Test
    LABELS widget)
foreach(scale 1.25 1.5 2)
    gtest_discover_tests(window_fit_tests DISCOVERY_MODE PRE_TEST
        WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/bin
        TEST_SUFFIX ".scale${scale}"
        PROPERTIES TIMEOUT 120 LABELS widget
                   ENVIRONMENT "ZEMLO_LANG=zh;QT_SCALE_FACTOR=${scale}")
endforeach()
