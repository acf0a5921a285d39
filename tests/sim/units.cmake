zemlo_add_gtest(NAME sim_unit_tests
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/sim_codec_test.cpp
            ${CMAKE_CURRENT_LIST_DIR}/media_store_test.cpp
            ${CMAKE_CURRENT_LIST_DIR}/download_service_test.cpp
            ${CMAKE_CURRENT_LIST_DIR}/adapter_hold_test.cpp
            ${CMAKE_CURRENT_LIST_DIR}/frame_reader_test.cpp
            ${CMAKE_CURRENT_LIST_DIR}/fault_plan_test.cpp
            ${CMAKE_CURRENT_LIST_DIR}/trace_log_test.cpp
    LIBS handsim_core)
