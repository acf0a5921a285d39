# Round trip of one request through libhandlink.so against a scripted handset on a pseudo-terminal.
if(TARGET devlink_api_handset)
    add_executable(bench_exchange_roundtrip ${CMAKE_CURRENT_LIST_DIR}/exchange_roundtrip_bench.cpp)
    target_link_libraries(bench_exchange_roundtrip PRIVATE devlink_api_handset ${CMAKE_DL_LIBS})
    add_dependencies(bench_exchange_roundtrip handlink)
    zemlo_warnings(bench_exchange_roundtrip)
endif()
