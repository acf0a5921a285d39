# A download and a listing through libhandlink.so against the handset emulator, paced and unpaced.
if(TARGET handsim_pc AND TARGET handlink)
    add_executable(bench_handset_download ${CMAKE_CURRENT_LIST_DIR}/handset_download_bench.cpp)
    target_link_libraries(bench_handset_download PRIVATE handsim_core handsim_pc)
    add_dependencies(bench_handset_download handlink)
    zemlo_warnings(bench_handset_download)
endif()
