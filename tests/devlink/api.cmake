# The library's name tables and trace format, called directly.
zemlo_add_gtest(NAME devlink_api_unit_tests
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/api_name_tables_test.cpp
            ${CMAKE_CURRENT_LIST_DIR}/api_request_record_test.cpp
    LIBS handlink_core handlink_trace)
target_include_directories(devlink_api_unit_tests PRIVATE ${HANDLINK_PRIVATE_INCLUDE_DIR})

# The library through dlopen, against a scripted handset on a pseudo-terminal.
add_library(devlink_api_handset STATIC ${CMAKE_CURRENT_LIST_DIR}/api_handset.cpp)
target_include_directories(devlink_api_handset PUBLIC ${CMAKE_CURRENT_LIST_DIR}
                                                      ${PROJECT_SOURCE_DIR}/devlink/include)
target_link_libraries(devlink_api_handset PUBLIC devlink_test_peer handlink_core Threads::Threads)
zemlo_warnings(devlink_api_handset)

zemlo_add_gtest(NAME devlink_api_wire_tests
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/api_wire_test.cpp
            ${CMAKE_CURRENT_LIST_DIR}/api_family_test.cpp
    LIBS devlink_api_handset zemlo_test_support ${CMAKE_DL_LIBS}
    TIMEOUT 60
    LABELS e2e waits)
add_dependencies(devlink_api_wire_tests handlink)

# The examples for test-tool authors, run as programs.
zemlo_add_gtest(NAME devlink_api_example_tests
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/api_example_test.cpp
    LIBS devlink_api_handset
    TIMEOUT 60
    LABELS e2e waits)
target_compile_definitions(devlink_api_example_tests PRIVATE
    HANDLINK_EXAMPLE_C="$<TARGET_FILE:handlink_example>"
    HANDLINK_EXAMPLE_PY="${PROJECT_SOURCE_DIR}/devlink/examples/handlink_example.py"
    HANDLINK_LIBRARY="$<TARGET_FILE:handlink>"
    HANDLINK_SANITIZED=$<BOOL:${ZEMLO_SANITIZE}>)
add_dependencies(devlink_api_example_tests handlink handlink_example)
