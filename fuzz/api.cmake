# A received record meeting the exchange, the forwarding rule and the trace. The parsers are
# compiled into the target so that libFuzzer's coverage instrumentation reaches them.
zemlo_fuzz_target(NAME received_record
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/received_record_fuzz.cpp
            ${CMAKE_SOURCE_DIR}/devlink/src/request_record.cpp
            ${CMAKE_SOURCE_DIR}/devlink/trace/src/trace_format.cpp
    LIBS handlink_core handlink_trace)
target_include_directories(fuzz_received_record PRIVATE ${HANDLINK_PRIVATE_INCLUDE_DIR})
