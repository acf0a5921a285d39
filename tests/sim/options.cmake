# handsim's usage errors exit 2 before anything is opened: here a fault option whose value the
# control language does not understand.
if(TARGET handsim)
    add_test(NAME handsim_bad_fault_option_is_usage_error
             COMMAND sh -c [=["$0" --link "$1/line" --store "$1" --silent nothing --quiet
                               [ $? -eq 2 ] && [ ! -e "$1/line" ]]=]
                     $<TARGET_FILE:handsim> ${CMAKE_CURRENT_BINARY_DIR})
    set_tests_properties(handsim_bad_fault_option_is_usage_error PROPERTIES TIMEOUT 10)
endif()
