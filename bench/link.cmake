# Reaction times of the frame link over a pseudo-terminal. Needs the test peer of tests/devlink.
if(TARGET devlink_test_peer)
    add_executable(bench_link_latency ${CMAKE_CURRENT_LIST_DIR}/link_latency_bench.cpp)
    target_link_libraries(bench_link_latency PRIVATE handlink_link devlink_test_peer)
    target_include_directories(bench_link_latency PRIVATE ${HANDLINK_PRIVATE_INCLUDE_DIR})
    zemlo_warnings(bench_link_latency)
endif()
