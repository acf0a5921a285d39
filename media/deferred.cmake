# zemlo_media_deferred: loading a library the first time its work is done (the synthesizer, the
# metafile readers), so that the window's start waits for neither.
add_library(zemlo_media_deferred STATIC ${CMAKE_CURRENT_LIST_DIR}/deferred_library.cpp)
target_include_directories(zemlo_media_deferred PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(zemlo_media_deferred PRIVATE ${CMAKE_DL_LIBS})
zemlo_warnings(zemlo_media_deferred)
