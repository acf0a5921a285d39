# zemlo-cli's conversion and play commands and the files they write: the program itself.
if(TARGET zemlo-cli)
    zemlo_add_gtest(NAME cli_output_tests
        SOURCES cli_outputs_test.cpp
        LIBS zemlo_media_melody zemlo_test_support)
    target_include_directories(cli_output_tests PRIVATE ${CMAKE_SOURCE_DIR}/tests/media)
    add_dependencies(cli_output_tests zemlo-cli picmill display zemlo_slow_fsync)
endif()
