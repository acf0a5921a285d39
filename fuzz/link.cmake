# Received line bytes: frame state machine and segment reassembly. The two sources are compiled
# into the target itself so that libFuzzer's coverage instrumentation reaches them.
zemlo_fuzz_target(NAME frame_receive
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/frame_receive_fuzz.cpp
            ${CMAKE_SOURCE_DIR}/devlink/src/frame_receiver.cpp
            ${CMAKE_SOURCE_DIR}/devlink/src/receive_ring.cpp
    LIBS handlink_link)
target_include_directories(fuzz_frame_receive PRIVATE ${HANDLINK_PRIVATE_INCLUDE_DIR})
