# zemlo-cli in both languages: the core's messages and the command line's own texts follow the
# locale; data/ holds the English help as it has always read.
if(TARGET zemlo-cli)
    zemlo_add_gtest(NAME cli_language_tests SOURCES cli_language_test.cpp)
    add_dependencies(cli_language_tests zemlo-cli handlink)
    target_compile_definitions(cli_language_tests
                               PRIVATE ZEMLO_CLI_TEST_DATA="${CMAKE_CURRENT_SOURCE_DIR}/data")
endif()
