# Bitmaps as the converter library loads them and the display driver converts them, and the
# converter text as the picture side reads it back. The parsers are compiled into each target
# so that libFuzzer's coverage instrumentation reaches them.
zemlo_fuzz_target(NAME bitmap_driver
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/bitmap_driver_fuzz.cpp
            ${CMAKE_SOURCE_DIR}/picconv/src/bmp_data.cpp
            ${CMAKE_SOURCE_DIR}/picconv/src/settings_line.cpp
            ${CMAKE_SOURCE_DIR}/picconv/src/graphic_text.cpp
            ${CMAKE_SOURCE_DIR}/display/src/bitmap_view.cpp
            ${CMAKE_SOURCE_DIR}/display/src/graphic_conversion.cpp
    LIBS zemlo_common)
target_include_directories(fuzz_bitmap_driver PRIVATE
    ${CMAKE_SOURCE_DIR}/picconv/src ${CMAKE_SOURCE_DIR}/picconv/include
    ${CMAKE_SOURCE_DIR}/display/src ${CMAKE_SOURCE_DIR}/display/include)

zemlo_fuzz_target(NAME converter_text
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/converter_text_fuzz.cpp
            ${CMAKE_SOURCE_DIR}/media/handset_picture_text.cpp
    LIBS zemlo_common)
target_include_directories(fuzz_converter_text PRIVATE ${CMAKE_SOURCE_DIR}/media)
