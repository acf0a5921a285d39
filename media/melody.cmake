# Melody side of media preparation.
#
# zemlo_media_melody: the MIDI merger, the handset melody file and the conversion of a file on
#                     disk; pure logic and plain files, no audio and no Qt.
# zemlo_media_player: reading MIDI files for playing, their timing, the WAV writer and the player
#                     on the FluidSynth synthesizer, whose library is loaded the first time a
#                     melody is opened (not linked: the window starts without it).

add_library(zemlo_media_melody STATIC
    ${CMAKE_CURRENT_LIST_DIR}/midi_merger.cpp
    ${CMAKE_CURRENT_LIST_DIR}/handset_melody.cpp
    ${CMAKE_CURRENT_LIST_DIR}/melody_fit.cpp
    ${CMAKE_CURRENT_LIST_DIR}/melody_conversion.cpp
    ${CMAKE_CURRENT_LIST_DIR}/melody_selection.cpp
    ${CMAKE_CURRENT_LIST_DIR}/midi_reader.cpp
    ${CMAKE_CURRENT_LIST_DIR}/midi_tempo_map.cpp
    ${CMAKE_CURRENT_LIST_DIR}/midi_schedule.cpp
)
target_include_directories(zemlo_media_melody PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(zemlo_media_melody PUBLIC zemlo_common zemlo_run_folder Threads::Threads)
zemlo_warnings(zemlo_media_melody)

pkg_check_modules(FLUIDSYNTH REQUIRED fluidsynth)
find_library(ZEMLO_FLUIDSYNTH_LIBRARY fluidsynth HINTS ${FLUIDSYNTH_LIBRARY_DIRS} REQUIRED)
zemlo_library_soname(ZEMLO_SYNTH_SONAME ${ZEMLO_FLUIDSYNTH_LIBRARY})
add_library(zemlo_media_player STATIC
    ${CMAKE_CURRENT_LIST_DIR}/synth_library.cpp
    ${CMAKE_CURRENT_LIST_DIR}/wav_writer.cpp
    ${CMAKE_CURRENT_LIST_DIR}/midi_player.cpp
)
target_include_directories(zemlo_media_player PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_include_directories(zemlo_media_player SYSTEM PRIVATE ${FLUIDSYNTH_INCLUDE_DIRS})
target_compile_definitions(zemlo_media_player PRIVATE
    ZEMLO_SYNTH_SONAME="${ZEMLO_SYNTH_SONAME}")
target_link_libraries(zemlo_media_player PUBLIC zemlo_media_melody PRIVATE zemlo_media_deferred)
zemlo_warnings(zemlo_media_player)
