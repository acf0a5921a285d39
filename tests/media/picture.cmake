zemlo_add_gtest(NAME picture_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/picture_geometry_test.cpp
            ${CMAKE_CURRENT_LIST_DIR}/picture_decoder_test.cpp
            ${CMAKE_CURRENT_LIST_DIR}/picture_file_test.cpp
            ${CMAKE_CURRENT_LIST_DIR}/picture_conversion_test.cpp
            ${CMAKE_CURRENT_LIST_DIR}/picture_test_support.cpp
    LIBS zemlo_media_picture zemlo_picmill_core)
target_include_directories(picture_test PRIVATE ${CMAKE_SOURCE_DIR}/tests/display)
target_compile_definitions(picture_test PRIVATE ZEMLO_TEST_BIN_DIR="${CMAKE_BINARY_DIR}/bin")
add_dependencies(picture_test picmill display zemlo-cli)
