# The serial port and frame link: unit tests of the receive ring, and wire tests against a scripted
# peer on a pseudo-terminal. devlink_test_peer is that peer, for every wire test of the library.
add_library(devlink_test_peer STATIC ${CMAKE_CURRENT_LIST_DIR}/pty_peer.cpp)
# The tests here reach the library's internals, so the peer hands on its private include folder.
target_include_directories(devlink_test_peer PUBLIC ${CMAKE_CURRENT_LIST_DIR}
                                                    ${HANDLINK_PRIVATE_INCLUDE_DIR})
target_link_libraries(devlink_test_peer PUBLIC handlink_core util)
zemlo_warnings(devlink_test_peer)

zemlo_add_gtest(NAME devlink_ring_tests
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/receive_ring_test.cpp
    LIBS handlink_link)
target_include_directories(devlink_ring_tests PRIVATE ${HANDLINK_PRIVATE_INCLUDE_DIR})

zemlo_add_gtest(NAME devlink_link_wire_tests
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/serial_port_test.cpp
            ${CMAKE_CURRENT_LIST_DIR}/frame_link_test.cpp
    LIBS handlink_link devlink_test_peer zemlo_test_support
    LABELS e2e)

# The device worker's hand-over of requests, on a link that was never opened.
zemlo_add_gtest(NAME devlink_worker_tests
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/device_worker_test.cpp
    LIBS handlink_link
    LABELS e2e)
target_include_directories(devlink_worker_tests PRIVATE ${HANDLINK_PRIVATE_INCLUDE_DIR})
