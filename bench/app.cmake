# The main program's download through its core against the emulator on a paced line.
if(TARGET zemlo_core AND TARGET handsim_core AND TARGET handlink)
    add_executable(bench_core_download ${CMAKE_CURRENT_LIST_DIR}/core_download_bench.cpp)
    target_link_libraries(bench_core_download PRIVATE zemlo_core handsim_core)
    add_dependencies(bench_core_download handlink)
    zemlo_warnings(bench_core_download)
endif()
