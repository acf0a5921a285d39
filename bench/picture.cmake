# Whole picture conversion: decode, draw, capture, ConvertBmp and read back.
if(TARGET zemlo_media_picture)
    add_executable(bench_picture_conversion ${CMAKE_CURRENT_LIST_DIR}/picture_conversion_bench.cpp)
    target_link_libraries(bench_picture_conversion PRIVATE zemlo_media_picture)
    add_dependencies(bench_picture_conversion picmill display)
    zemlo_warnings(bench_picture_conversion)
endif()
