# The core against the emulator with one fault placed at an exact frame: the faults the sweep
# found, each pinned.
if(TARGET handsim_core AND TARGET handlink)
    zemlo_add_gtest(NAME app_fault_point_tests
        SOURCES unconfirmed_commands_test.cpp
        LIBS zemlo_core handsim_core zemlo_test_support
        TIMEOUT 120
        LABELS e2e waits)
    add_dependencies(app_fault_point_tests handlink)
endif()
