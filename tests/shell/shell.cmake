# The desktop program: its pure helpers directly, and the windows offscreen against the handset
# emulator, driven with mouse clicks and keys.
zemlo_add_gtest(NAME shell_logic_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/shell_logic_test.cpp
            ${CMAKE_CURRENT_LIST_DIR}/offscreen_app.cpp
    LIBS zemlo_shell)

if(TARGET handsim_core AND TARGET handlink)
    find_package(Qt6 REQUIRED COMPONENTS Test)
    zemlo_add_gtest(NAME shell_window_test
        SOURCES ${CMAKE_CURRENT_LIST_DIR}/shell_window_test.cpp
                ${CMAKE_CURRENT_LIST_DIR}/offscreen_app.cpp
        LIBS zemlo_shell handsim_core Qt6::Test
        TIMEOUT 300
        LABELS e2e)
endif()
if(TARGET shell_window_test)
    # Help is checked against the user guide that the program's build puts beside it.
    add_dependencies(shell_window_test zemlo)
endif()
