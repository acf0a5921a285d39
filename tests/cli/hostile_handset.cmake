# zemlo-cli against a handset that floods, lies or stalls, and the signals and ports around it:
# the pure guards directly, the program itself against the emulator.
set(ZEMLO_CLI_DIR ${CMAKE_SOURCE_DIR}/cli)
zemlo_add_gtest(NAME cli_guard_tests
    SOURCES guard_logic_test.cpp
        ${ZEMLO_CLI_DIR}/global_options.cpp
        ${ZEMLO_CLI_DIR}/command_deadline.cpp
        ${ZEMLO_CLI_DIR}/serial_port_check.cpp
    LIBS zemlo_core Threads::Threads)
# The core for the message table the options' errors speak through (Chinese here).
target_include_directories(cli_guard_tests PRIVATE ${ZEMLO_CLI_DIR} ${CMAKE_SOURCE_DIR}/app)

if(TARGET handsim_core AND TARGET handlink AND TARGET zemlo-cli)
    zemlo_add_gtest(NAME cli_hostile_handset_tests
        SOURCES hostile_handset_cli_test.cpp
        LIBS handsim_core zemlo_test_support
        TIMEOUT 300
        LABELS e2e waits)
    add_dependencies(cli_hostile_handset_tests zemlo-cli handlink picmill display)
endif()
