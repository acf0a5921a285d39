# `cpack -G DEB` in the build folder (make package) builds zemlo_<version>-<release>_<arch>.deb from
# the install rules of cmake/Install.cmake, with the prefix /usr.
set(CPACK_GENERATOR "DEB")
set(CPACK_PACKAGE_NAME "zemlo")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_VENDOR "Zemlo")
set(CPACK_PACKAGE_CONTACT "Zemlo maintainers <maintainers@zemlo.invalid>")
set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
set(CPACK_INSTALL_PREFIX "/usr")
# Install rules that write files for the prefix (handlink.pc) must see /usr, not the staging folder.
set(CPACK_SET_DESTDIR ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "download pictures and ring tones to a GSM handset")

set(CPACK_DEBIAN_FILE_NAME "DEB-DEFAULT")
set(CPACK_DEBIAN_PACKAGE_RELEASE "1")
set(CPACK_DEBIAN_PACKAGE_SECTION "comm")
set(CPACK_DEBIAN_PACKAGE_PRIORITY "optional")
# The long description; CPack puts the summary above it and indents each line as Debian wants.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Zemlo Loader converts pictures (BMP, GIF, JPEG, ICO, EMF, WMF) into a
GSM handset's screen-saver format and MIDI files into its ring-tone format,
previews them on the PC and downloads them to the handset over a serial data
cable. It lists, renames and deletes the handset's pictures and melodies and
formats its media store. The user interface is in Chinese.

The package also holds zemlo-cli, the same operations from the command line,
handsim, a handset emulator on a pseudo-terminal, and libhandlink, the serial
link library with its C header and pkg-config file.")

# Libraries the binaries link against are found by dpkg-shlibdeps (no binary links the private
# libraries; they are loaded with dlopen). What the programs load at run time is declared by hand:
# the General MIDI sound font for the melody player, a font with Chinese glyphs for the interface,
# the SVG icon engine and image plugins for the artwork, and the Type 1 fonts without which the WMF
# reader does not start (its own package only recommends them).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "timgm6mb-soundfont | sf2-soundfont-gm, fonts-wqy-microhei | fonts-noto-cjk, libqt6svg6, fonts-urw-base35")
# The synthesizer and the metafile readers are loaded the first time they are needed, not linked
# (so the window starts without them): their packages are named here, found from the files.
get_property(zemlo_deferred GLOBAL PROPERTY ZEMLO_DEFERRED_LIBRARIES)
foreach(library ${zemlo_deferred})
    execute_process(COMMAND dpkg -S "${library}" OUTPUT_VARIABLE owner ERROR_QUIET)
    if(owner MATCHES "^([^:]+)")
        string(APPEND CPACK_DEBIAN_PACKAGE_DEPENDS ", ${CMAKE_MATCH_1}")
    endif()
endforeach()
# The help opens in the desktop's browser; Qt's own texts come in Chinese with Qt's catalogue.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils, qt6-translations-l10n")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION TRUE)

include(CPack)
