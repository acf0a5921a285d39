# Whole picture conversion (decode, draw, capture, ConvertBmp and read back) against the JPEG
# library's own reduced decode, and the banding of the 16-bit colours with and without dither.
# Both make their pictures with the tests' picture makers (tests/support).
if(TARGET zemlo_media_picture AND TARGET zemlo_test_support)
    add_executable(bench_picture_conversion ${CMAKE_CURRENT_LIST_DIR}/picture_conversion_bench.cpp)
    target_link_libraries(bench_picture_conversion PRIVATE zemlo_media_picture zemlo_test_support)
    add_dependencies(bench_picture_conversion picmill display)
    zemlo_warnings(bench_picture_conversion)

    add_executable(bench_picture_dither ${CMAKE_CURRENT_LIST_DIR}/picture_dither_bench.cpp)
    target_link_libraries(bench_picture_dither PRIVATE zemlo_media_picture zemlo_test_support)
    zemlo_warnings(bench_picture_dither)
endif()
