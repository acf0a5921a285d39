# Where `cmake --install` (and so the Debian package) puts everything; docs/installation.md explains
# the layout. The programs and their private libraries share one program folder, because the
# desktop program and zemlo-cli find libhandlink.so, libpicmill.so and the help beside their own
# executable; PREFIX/bin only holds relative symlinks into that folder.
include(GNUInstallDirs)

set(ZEMLO_INSTALL_PROGRAMDIR "lib/zemlo" CACHE STRING
    "Program folder under the prefix: the programs, their private libraries and the help")
set(ZEMLO_DESKTOP_ID "io.github.zemlo.Zemlo")

# pkg-config looks in the multiarch directory first on Debian, also under /usr/local.
if(CMAKE_INSTALL_LIBDIR STREQUAL "lib" AND CMAKE_LIBRARY_ARCHITECTURE)
    set(ZEMLO_PKGCONFIG_DEFAULT "lib/${CMAKE_LIBRARY_ARCHITECTURE}/pkgconfig")
else()
    set(ZEMLO_PKGCONFIG_DEFAULT "${CMAKE_INSTALL_LIBDIR}/pkgconfig")
endif()
set(ZEMLO_INSTALL_PKGCONFIGDIR "${ZEMLO_PKGCONFIG_DEFAULT}" CACHE STRING
    "Where handlink.pc goes under the prefix")

set(zemlo_packaging_dir ${CMAKE_SOURCE_DIR}/packaging)
set(zemlo_install_build_dir ${CMAKE_BINARY_DIR}/install-files)

# A relative symlink at `link` (relative to the prefix) pointing at `target` (also relative to the
# prefix), so the installed tree can be moved or staged under DESTDIR.
function(zemlo_install_symlink target link)
    get_filename_component(link_dir "/${link}" DIRECTORY)
    file(RELATIVE_PATH relative "${link_dir}" "/${target}")
    install(CODE "
        set(zemlo_link \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${link}\")
        get_filename_component(zemlo_link_dir \"\${zemlo_link}\" DIRECTORY)
        file(MAKE_DIRECTORY \"\${zemlo_link_dir}\")
        file(REMOVE \"\${zemlo_link}\")
        message(STATUS \"Installing: \${zemlo_link} -> ${relative}\")
        file(CREATE_LINK \"${relative}\" \"\${zemlo_link}\" SYMBOLIC)
        list(APPEND CMAKE_INSTALL_MANIFEST_FILES \"\${zemlo_link}\")")
endfunction()

# --- the program folder and the commands -----------------------------------------------------------
foreach(program zemlo zemlo-cli handsim)
    if(TARGET ${program})
        install(TARGETS ${program} RUNTIME DESTINATION ${ZEMLO_INSTALL_PROGRAMDIR})
        zemlo_install_symlink(${ZEMLO_INSTALL_PROGRAMDIR}/${program}
                              ${CMAKE_INSTALL_BINDIR}/${program})
    endif()
endforeach()
# Loaded with dlopen from the program folder (and libdisplay.so by libpicmill.so beside itself);
# no SONAME versioning, so they stay private rather than in the public library directory. Shared
# libraries are not executables: mode 644, as Debian ships them.
foreach(library handlink picmill display)
    if(TARGET ${library})
        install(TARGETS ${library} LIBRARY DESTINATION ${ZEMLO_INSTALL_PROGRAMDIR}
                PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
    endif()
endforeach()

# --- the user guide: architecture-independent data in share/, found beside the program ------------
# The English page sits beside the Chinese one; the window opens the one of its language. (The
# translations of the texts are built into the programs and need no file.)
if(TARGET zemlo)
    foreach(page dwnHelp.html dwnHelp-en.html)
        install(FILES ${CMAKE_SOURCE_DIR}/shell/help/${page}
                DESTINATION ${CMAKE_INSTALL_DATADIR}/zemlo)
        zemlo_install_symlink(${CMAKE_INSTALL_DATADIR}/zemlo/${page}
                              ${ZEMLO_INSTALL_PROGRAMDIR}/${page})
    endforeach()
endif()

# --- the link library for developers: header and pkg-config file ----------------------------------
# The .pc file is written at install time so that it names the prefix actually installed to
# (cmake --install --prefix, or /usr for the package). Programs linking the library get a RUNPATH
# to the program folder, where it lives.
if(TARGET handlink)
    install(FILES ${CMAKE_SOURCE_DIR}/devlink/include/handlink.h
            DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
    install(CODE "
        set(ZEMLO_INSTALL_PROGRAMDIR \"${ZEMLO_INSTALL_PROGRAMDIR}\")
        set(CMAKE_INSTALL_INCLUDEDIR \"${CMAKE_INSTALL_INCLUDEDIR}\")
        set(PROJECT_VERSION \"${PROJECT_VERSION}\")
        configure_file(\"${CMAKE_SOURCE_DIR}/devlink/handlink.pc.in\"
                       \"${zemlo_install_build_dir}/handlink.pc\" @ONLY)")
    install(FILES ${zemlo_install_build_dir}/handlink.pc DESTINATION ${ZEMLO_INSTALL_PKGCONFIGDIR})
endif()

# --- desktop integration --------------------------------------------------------------------------
if(TARGET zemlo)
    install(FILES ${zemlo_packaging_dir}/${ZEMLO_DESKTOP_ID}.desktop
            DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
    configure_file(${zemlo_packaging_dir}/${ZEMLO_DESKTOP_ID}.metainfo.xml.in
                   ${zemlo_install_build_dir}/${ZEMLO_DESKTOP_ID}.metainfo.xml @ONLY)
    install(FILES ${zemlo_install_build_dir}/${ZEMLO_DESKTOP_ID}.metainfo.xml
            DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
    install(FILES ${CMAKE_SOURCE_DIR}/resources/icons/128.svg
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps RENAME zemlo.svg)

    # PNG sizes for menus and docks that do not draw SVG, rendered from the same icon. Sanitizer
    # and fuzz builds are never installed and skip it (the renderer would run instrumented).
    find_package(Qt6 COMPONENTS Gui Svg)
    if(Qt6Gui_FOUND AND Qt6Svg_FOUND AND ZEMLO_SANITIZE STREQUAL "" AND NOT ZEMLO_FUZZ)
        add_executable(zemlo-render-icon ${zemlo_packaging_dir}/render_icon.cpp)
        target_link_libraries(zemlo-render-icon PRIVATE Qt6::Gui Qt6::Svg)
        set_target_properties(zemlo-render-icon PROPERTIES
            RUNTIME_OUTPUT_DIRECTORY ${zemlo_install_build_dir})
        zemlo_warnings(zemlo-render-icon)
        set(icon_pngs "")
        foreach(size 16 24 32 48 64 128 256)
            set(png ${zemlo_install_build_dir}/icons/${size}/zemlo.png)
            add_custom_command(OUTPUT ${png}
                COMMAND ${CMAKE_COMMAND} -E make_directory ${zemlo_install_build_dir}/icons/${size}
                COMMAND zemlo-render-icon ${CMAKE_SOURCE_DIR}/resources/icons/128.svg ${size} ${png}
                DEPENDS zemlo-render-icon ${CMAKE_SOURCE_DIR}/resources/icons/128.svg
                VERBATIM)
            list(APPEND icon_pngs ${png})
            install(FILES ${png}
                    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
        endforeach()
        add_custom_target(zemlo-icon-pngs ALL DEPENDS ${icon_pngs})
    endif()
endif()

# --- manual pages and the package changelog, compressed as Debian ships them ----------------------
find_program(ZEMLO_GZIP gzip REQUIRED)
set(zemlo_compressed "")
# Compresses `source` into install-files/`name`.gz at build time and installs that into
# `destination`. -n leaves out the name and time stamp, so the package builds reproducibly.
function(zemlo_install_compressed source name destination)
    set(compressed ${zemlo_install_build_dir}/compressed/${name}.gz)
    add_custom_command(OUTPUT ${compressed}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${zemlo_install_build_dir}/compressed
        COMMAND ${ZEMLO_GZIP} -9nc ${source} > ${compressed}
        DEPENDS ${source})
    install(FILES ${compressed} DESTINATION ${destination})
    set(zemlo_compressed ${zemlo_compressed} ${compressed} PARENT_SCOPE)
endfunction()
foreach(page zemlo zemlo-cli handsim)
    if(TARGET ${page})
        zemlo_install_compressed(${CMAKE_SOURCE_DIR}/docs/man/${page}.1 ${page}.1
                                 ${CMAKE_INSTALL_MANDIR}/man1)
    endif()
endforeach()

# Debian keeps the copyright notice and the package's changelog under the package name.
zemlo_install_compressed(${zemlo_packaging_dir}/changelog.Debian changelog.Debian
                         ${CMAKE_INSTALL_DATADIR}/doc/zemlo)
install(FILES ${zemlo_packaging_dir}/copyright DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/zemlo)
add_custom_target(zemlo-compressed-docs ALL DEPENDS ${zemlo_compressed})
