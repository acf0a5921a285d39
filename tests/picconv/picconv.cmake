# A driver without _gddiDescribeDriver, built as libdisplay.so in its own folder, so a test can
# put it beside a copy of libpicmill.so.
add_library(test_display_without_describe SHARED
    ${CMAKE_CURRENT_LIST_DIR}/display_without_describe.cpp)
target_link_libraries(test_display_without_describe PRIVATE zemlo_display_core)
set_target_properties(test_display_without_describe PROPERTIES
    OUTPUT_NAME display
    LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/test-drivers/without-describe
    CXX_VISIBILITY_PRESET hidden)
zemlo_warnings(test_display_without_describe)

zemlo_add_gtest(NAME picmill_tests
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/converter_text_test.cpp
            ${CMAKE_CURRENT_LIST_DIR}/bitmap_checks_test.cpp
            ${CMAKE_CURRENT_LIST_DIR}/convert_bmp_test.cpp
    LIBS zemlo_picmill_core ${CMAKE_DL_LIBS})
target_include_directories(picmill_tests PRIVATE ${CMAKE_SOURCE_DIR}/tests/display)
target_compile_definitions(picmill_tests PRIVATE
    ZEMLO_TEST_BIN_DIR="${CMAKE_BINARY_DIR}/bin"
    ZEMLO_TEST_DRIVER_WITHOUT_DESCRIBE="$<TARGET_FILE:test_display_without_describe>")
add_dependencies(picmill_tests picmill display test_display_without_describe)
