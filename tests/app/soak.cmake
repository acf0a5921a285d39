# The fault soak (make soak runs it in full) and the cable tests, both against the in-process
# handset emulator.
if(TARGET handsim_core AND TARGET handlink)
    add_executable(core_soak core_soak.cpp soak_plan.cpp)
    zemlo_warnings(core_soak)
    target_link_libraries(core_soak PRIVATE zemlo_core handsim_core Threads::Threads)
    add_dependencies(core_soak handlink)
    zemlo_add_to_e2e_tests(core_soak)
    # A short run of it belongs to every test run.
    add_test(NAME core_soak_short COMMAND core_soak --operations 30 --seed 7
             WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
    set_tests_properties(core_soak_short PROPERTIES TIMEOUT 240 LABELS "e2e;waits")

    zemlo_add_gtest(NAME cable_e2e_tests
        SOURCES unplugged_cable_test.cpp
        LIBS zemlo_core handsim_core
        TIMEOUT 120
        LABELS e2e waits)
    add_dependencies(cable_e2e_tests handlink)
endif()

if(TARGET handsim_core AND TARGET handlink AND TARGET zemlo_media_melody
   AND TARGET zemlo_media_picture AND TARGET zemlo_picmill_core)
    zemlo_add_gtest(NAME file_system_fault_tests
        SOURCES file_system_faults_test.cpp
        LIBS zemlo_core zemlo_media_melody zemlo_media_picture zemlo_picmill_core handsim_core
            zemlo_test_support
        TIMEOUT 120
        LABELS e2e)
    add_dependencies(file_system_fault_tests handlink)
endif()
