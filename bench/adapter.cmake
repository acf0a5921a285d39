# The picture download behind an emulated USB serial adapter at several latency timers.
if(TARGET handsim_pc AND TARGET handlink)
    add_executable(bench_adapter_latency ${CMAKE_CURRENT_LIST_DIR}/adapter_latency_bench.cpp)
    target_link_libraries(bench_adapter_latency PRIVATE handsim_core handsim_pc)
    add_dependencies(bench_adapter_latency handlink)
    zemlo_warnings(bench_adapter_latency)
endif()
