# zemlo-cli commands of the melody side: convert melody, play.
list(APPEND ZEMLO_CLI_SOURCES ${CMAKE_CURRENT_LIST_DIR}/convert_melody_command.cpp
                              ${CMAKE_CURRENT_LIST_DIR}/play_command.cpp)
list(APPEND ZEMLO_CLI_LIBS zemlo_media_melody zemlo_media_player)
