zemlo_add_gtest(NAME devlink_codec_tests
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/frame_codec_test.cpp
    LIBS handlink_core)
target_include_directories(devlink_codec_tests PRIVATE ${HANDLINK_PRIVATE_INCLUDE_DIR})
