# Conversion of a 60 KB, 32-track MIDI file into the handset melody file; WAV rendering speed.
if(TARGET zemlo_media_melody AND TARGET zemlo_media_player)
    add_executable(bench_melody_conversion ${CMAKE_CURRENT_LIST_DIR}/melody_conversion_bench.cpp)
    target_include_directories(bench_melody_conversion PRIVATE ${CMAKE_CURRENT_LIST_DIR}/../tests/media)
    target_link_libraries(bench_melody_conversion PRIVATE zemlo_media_melody zemlo_media_player)
    zemlo_warnings(bench_melody_conversion)
endif()
