# Picture files through the picture panel's decoder and drawing. One program, three targets, so
# that each family of formats gets its own seed corpus and its own share of a fuzzing run: the
# raster formats read by Qt (bmp, gif, jpg, ico), EMF and WMF.
foreach(kind raster emf wmf)
    zemlo_fuzz_target(NAME picture_${kind}
        SOURCES ${CMAKE_CURRENT_LIST_DIR}/picture_decoder_fuzz.cpp
        LIBS zemlo_media_picture)
endforeach()
