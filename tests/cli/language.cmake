# zemlo-cli in both languages: the core's messages follow the locale, the command line's own
# texts stay as they are.
if(TARGET zemlo-cli)
    zemlo_add_gtest(NAME cli_language_tests SOURCES cli_language_test.cpp)
    add_dependencies(cli_language_tests zemlo-cli handlink)
endif()
