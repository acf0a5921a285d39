zemlo_add_gtest(NAME sim_e2e_tests
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/handlink_e2e_test.cpp
    LIBS handsim_core handsim_pc zemlo_test_support
    TIMEOUT 120
    LABELS e2e waits)
if(TARGET handlink)
    add_dependencies(sim_e2e_tests handlink)
endif()

zemlo_add_gtest(NAME sim_wire_tests
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/pty_wire_test.cpp
    LIBS handsim_core handlink_core
    TIMEOUT 60
    LABELS e2e)
# The PC's end of these wire tests is the link library's own frame receiver, one of its internals:
# the two receivers are written apart on purpose, and this test holds one against the other.
target_include_directories(sim_wire_tests PRIVATE ${HANDLINK_PRIVATE_INCLUDE_DIR})
