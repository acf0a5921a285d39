# One picture downloaded by zemlo-cli to 8 emulated handsets at once against one handset alone.
if(TARGET zemlo_bench_support AND TARGET zemlo_test_support AND TARGET handlink
   AND TARGET zemlo-cli)
    add_executable(bench_many_handsets ${CMAKE_CURRENT_LIST_DIR}/many_handsets_bench.cpp)
    target_link_libraries(bench_many_handsets PRIVATE zemlo_bench_support zemlo_test_support)
    add_dependencies(bench_many_handsets zemlo-cli handlink)
    zemlo_warnings(bench_many_handsets)
endif()
