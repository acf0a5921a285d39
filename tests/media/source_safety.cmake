# Bad sources for the media side: pipes and devices named as pictures or melodies, pictures whose
# stated size or file size is past what the decoder takes, and damaged metafile structure.
zemlo_add_gtest(NAME media_source_tests
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/source_safety_test.cpp
            ${CMAKE_CURRENT_LIST_DIR}/picture_bounds_test.cpp
            ${CMAKE_CURRENT_LIST_DIR}/picture_test_support.cpp
    LIBS zemlo_media_picture zemlo_media_player zemlo_picmill_core)
target_compile_definitions(media_source_tests PRIVATE ZEMLO_TEST_BIN_DIR="${CMAKE_BINARY_DIR}/bin")
