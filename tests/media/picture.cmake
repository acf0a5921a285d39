zemlo_add_gtest(NAME picture_tests
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/picture_geometry_test.cpp
            ${CMAKE_CURRENT_LIST_DIR}/picture_decoder_test.cpp
            ${CMAKE_CURRENT_LIST_DIR}/picture_file_test.cpp
            ${CMAKE_CURRENT_LIST_DIR}/picture_conversion_test.cpp
            ${CMAKE_CURRENT_LIST_DIR}/picture_orientation_test.cpp
            ${CMAKE_CURRENT_LIST_DIR}/picture_framing_test.cpp
            ${CMAKE_CURRENT_LIST_DIR}/picture_choice_test.cpp
            ${CMAKE_CURRENT_LIST_DIR}/hand_frame_test.cpp
            ${CMAKE_CURRENT_LIST_DIR}/picture_decode_worker_test.cpp
            ${CMAKE_CURRENT_LIST_DIR}/picture_test_support.cpp
    LIBS zemlo_media_picture zemlo_picmill_core zemlo_test_support)
target_include_directories(picture_tests PRIVATE ${CMAKE_SOURCE_DIR}/tests/display)
target_compile_definitions(picture_tests PRIVATE ZEMLO_TEST_BIN_DIR="${CMAKE_BINARY_DIR}/bin")
add_dependencies(picture_tests picmill display zemlo-cli)
