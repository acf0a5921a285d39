# The PC's side of the handset's listing: block receiver, storage check, listing parser.
if(TARGET zemlo_core)
    zemlo_fuzz_target(NAME listing_transfer
        SOURCES ${CMAKE_CURRENT_LIST_DIR}/listing_transfer_fuzz.cpp
        LIBS zemlo_core)
endif()
