# zemlo-cli's temporary files against other runs at the same time, planted names, folders that
# are not private and runs ended by signals; one case downloads to the handset emulator.
if(TARGET handsim_core AND TARGET handlink AND TARGET zemlo-cli)
    zemlo_add_gtest(NAME cli_work_folder_tests
        SOURCES ${CMAKE_CURRENT_LIST_DIR}/work_folder_cli_test.cpp
        LIBS handsim_core zemlo_run_folder zemlo_test_support
        TIMEOUT 600
        LABELS e2e)
    target_include_directories(cli_work_folder_tests PRIVATE ${CMAKE_SOURCE_DIR}/tests/common)
    add_dependencies(cli_work_folder_tests zemlo-cli handlink picmill display)
endif()
