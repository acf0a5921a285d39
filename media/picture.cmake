# The picture side of media preparation: decoding, the fitted drawing, the capture, the
# conversion through libpicmill.so and the handset picture file. No widgets: the panel reuses it.
find_package(Qt6 REQUIRED COMPONENTS Gui Svg)
# libwmf's pkg-config entry gives only the header paths here: the library is loaded at first use
# and brings its own dependencies (its companion libwmflite among them).
pkg_check_modules(ZEMLO_WMF REQUIRED libwmf)
find_library(ZEMLO_WMF_LIBRARY wmf HINTS ${ZEMLO_WMF_LIBRARY_DIRS} REQUIRED)
find_library(ZEMLO_EMF2SVG_LIBRARY emf2svg REQUIRED)
# Loaded the first time a metafile is read, not linked: the window starts without them.
zemlo_library_soname(ZEMLO_WMF_SONAME ${ZEMLO_WMF_LIBRARY})
zemlo_library_soname(ZEMLO_EMF_SONAME ${ZEMLO_EMF2SVG_LIBRARY})

add_library(zemlo_media_picture STATIC
    ${CMAKE_CURRENT_LIST_DIR}/picture_geometry.cpp
    ${CMAKE_CURRENT_LIST_DIR}/picture_framing.cpp
    ${CMAKE_CURRENT_LIST_DIR}/hand_frame.cpp
    ${CMAKE_CURRENT_LIST_DIR}/rgb565_dither.cpp
    ${CMAKE_CURRENT_LIST_DIR}/metafile_structure.cpp
    ${CMAKE_CURRENT_LIST_DIR}/metafile_libraries.cpp
    ${CMAKE_CURRENT_LIST_DIR}/metafile_svg.cpp
    ${CMAKE_CURRENT_LIST_DIR}/picture_decoder.cpp
    ${CMAKE_CURRENT_LIST_DIR}/picture_drawing.cpp
    ${CMAKE_CURRENT_LIST_DIR}/picture_choice_area.cpp
    ${CMAKE_CURRENT_LIST_DIR}/picture_capture.cpp
    ${CMAKE_CURRENT_LIST_DIR}/handset_picture.cpp
    ${CMAKE_CURRENT_LIST_DIR}/handset_picture_text.cpp
    ${CMAKE_CURRENT_LIST_DIR}/picture_preview.cpp
    ${CMAKE_CURRENT_LIST_DIR}/picture_conversion.cpp
    ${CMAKE_CURRENT_LIST_DIR}/picture_selection.cpp
    ${CMAKE_CURRENT_LIST_DIR}/picture_decode_worker.cpp
    ${CMAKE_CURRENT_LIST_DIR}/picture_file_conversion.cpp
    ${CMAKE_CURRENT_LIST_DIR}/picture_runtime.cpp)
target_include_directories(zemlo_media_picture PUBLIC ${CMAKE_CURRENT_LIST_DIR}
    # The converter's export, a header only.
    ${CMAKE_SOURCE_DIR}/picconv/include)
target_include_directories(zemlo_media_picture SYSTEM PRIVATE ${ZEMLO_WMF_INCLUDE_DIRS})
target_compile_definitions(zemlo_media_picture PRIVATE
    ZEMLO_WMF_SONAME="${ZEMLO_WMF_SONAME}" ZEMLO_EMF_SONAME="${ZEMLO_EMF_SONAME}")
target_link_libraries(zemlo_media_picture PUBLIC zemlo_common zemlo_run_folder Qt6::Gui Qt6::Svg
    PRIVATE zemlo_media_deferred ${CMAKE_DL_LIBS})
zemlo_warnings(zemlo_media_picture)
# The converter libraries are loaded at run time from the program's folder.
foreach(lib picmill display)
    if(TARGET ${lib})
        add_dependencies(zemlo_media_picture ${lib})
    endif()
endforeach()
