# Tests of the melody side of media preparation.
zemlo_add_gtest(NAME media_melody_tests
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/melody_merger_test.cpp
            ${CMAKE_CURRENT_LIST_DIR}/melody_roundtrip_test.cpp
            ${CMAKE_CURRENT_LIST_DIR}/melody_conversion_test.cpp
            ${CMAKE_CURRENT_LIST_DIR}/melody_fit_test.cpp
    LIBS zemlo_media_melody)
target_include_directories(media_melody_tests PRIVATE ${CMAKE_CURRENT_LIST_DIR})

zemlo_add_gtest(NAME media_player_tests
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/melody_player_test.cpp
            ${CMAKE_CURRENT_LIST_DIR}/output_file_test.cpp
    LIBS zemlo_media_player zemlo_test_support)
target_include_directories(media_player_tests PRIVATE ${CMAKE_CURRENT_LIST_DIR})

if(TARGET zemlo-cli)
    zemlo_add_gtest(NAME media_melody_cli_tests
        SOURCES ${CMAKE_CURRENT_LIST_DIR}/melody_cli_test.cpp
        LIBS zemlo_media_melody)
    target_include_directories(media_melody_cli_tests PRIVATE ${CMAKE_CURRENT_LIST_DIR})
    target_compile_definitions(media_melody_cli_tests PRIVATE ZEMLO_CLI="$<TARGET_FILE:zemlo-cli>")
    add_dependencies(media_melody_cli_tests zemlo-cli)
endif()
