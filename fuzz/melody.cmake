# Fuzz targets of the melody side: the merger (with the handset melody file made from its result)
# and the general MIDI reader behind the player.
zemlo_fuzz_target(NAME midi_merger SOURCES ${CMAKE_CURRENT_LIST_DIR}/midi_merger_fuzz.cpp
                  LIBS zemlo_media_melody)
zemlo_fuzz_target(NAME midi_reader SOURCES ${CMAKE_CURRENT_LIST_DIR}/midi_reader_fuzz.cpp
                  LIBS zemlo_media_melody)
