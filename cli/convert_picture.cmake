# zemlo-cli convert picture: any supported picture to the handset picture file.
list(APPEND ZEMLO_CLI_SOURCES ${CMAKE_CURRENT_LIST_DIR}/convert_picture_command.cpp
                              ${CMAKE_CURRENT_LIST_DIR}/picture_options.cpp)
list(APPEND ZEMLO_CLI_LIBS zemlo_media_picture)
