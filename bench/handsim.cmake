# Downloads and listings through libhandlink.so against the handset emulator: paced and unpaced
# (handset_download), and behind an emulated USB serial adapter at several latency timers
# (adapter_latency).
if(TARGET zemlo_bench_support AND TARGET handlink)
    foreach(name handset_download adapter_latency)
        add_executable(bench_${name} ${CMAKE_CURRENT_LIST_DIR}/${name}_bench.cpp)
        target_link_libraries(bench_${name} PRIVATE zemlo_bench_support)
        add_dependencies(bench_${name} handlink)
        zemlo_warnings(bench_${name})
    endforeach()
endif()
