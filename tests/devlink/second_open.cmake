# A second OpenComm while a port is open, through dlopen against two scripted handsets.
zemlo_add_gtest(NAME devlink_second_open_tests
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/api_second_open_test.cpp
    LIBS devlink_api_handset ${CMAKE_DL_LIBS}
    TIMEOUT 60
    LABELS e2e waits)
add_dependencies(devlink_second_open_tests handlink)
