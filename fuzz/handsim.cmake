zemlo_fuzz_target(NAME handset_input
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/handset_input_fuzz.cpp
    LIBS handsim_core)
