# zemlo-cli's handset commands: the pure parts (options, port names, diagnosis, JSON text,
# progress) directly, and the program itself against the handset emulator.
set(ZEMLO_CLI_DIR ${CMAKE_SOURCE_DIR}/cli)
zemlo_add_gtest(NAME cli_handset_logic_tests
    SOURCES handset_logic_test.cpp
        fleet_report_test.cpp
        adapter_latency_test.cpp
        download_plan_test.cpp
        ${ZEMLO_CLI_DIR}/adapter_latency.cpp
        ${ZEMLO_CLI_DIR}/download_plan.cpp
        ${ZEMLO_CLI_DIR}/fleet_report.cpp
        ${ZEMLO_CLI_DIR}/terminal_text.cpp
        ${ZEMLO_CLI_DIR}/command_suggestion.cpp
        terminal_text_test.cpp
        ${ZEMLO_CLI_DIR}/global_options.cpp
        ${ZEMLO_CLI_DIR}/port_names.cpp
        ${ZEMLO_CLI_DIR}/port_diagnosis.cpp
        ${ZEMLO_CLI_DIR}/json_text.cpp
        ${ZEMLO_CLI_DIR}/transfer_progress.cpp
    LIBS zemlo_core zemlo_low_latency)
target_include_directories(cli_handset_logic_tests PRIVATE ${ZEMLO_CLI_DIR})
# The core for the one escaper of text shown on a terminal (the JSON text, the port diagnosis) and
# the message table the diagnosis speaks through (in Chinese here: no catalogue is installed).
target_include_directories(cli_handset_logic_tests PRIVATE ${CMAKE_SOURCE_DIR}/app)

if(TARGET handsim_core AND TARGET handlink AND TARGET zemlo-cli)
    zemlo_add_gtest(NAME cli_handset_e2e_tests
        SOURCES handset_cli_test.cpp
        LIBS handsim_core zemlo_test_support
        TIMEOUT 300
        LABELS e2e waits)
    add_dependencies(cli_handset_e2e_tests zemlo-cli handlink picmill display)
    target_compile_definitions(cli_handset_e2e_tests PRIVATE ZEMLO_VERSION="${PROJECT_VERSION}")
    foreach(program handsim zemlo)
        if(TARGET ${program})
            add_dependencies(cli_handset_e2e_tests ${program})
        endif()
    endforeach()
endif()
