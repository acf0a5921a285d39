# Installs the build into a temporary prefix and checks what lands there, including that the
# installed commands find their libraries through the bin/ symlinks and that a C program builds
# and runs against handlink.pc. Needs every deliverable; sanitizer builds are never installed.
set(zemlo_install_needs zemlo zemlo-cli handsim handlink picmill display)
set(zemlo_install_complete TRUE)
foreach(t ${zemlo_install_needs})
    if(NOT TARGET ${t})
        set(zemlo_install_complete FALSE)
    endif()
endforeach()
find_program(ZEMLO_BASH bash)
if(zemlo_install_complete AND ZEMLO_BASH AND ZEMLO_SANITIZE STREQUAL "" AND NOT ZEMLO_FUZZ)
    add_test(NAME install_layout
             COMMAND ${ZEMLO_BASH} ${CMAKE_CURRENT_SOURCE_DIR}/check_install.sh
                     ${CMAKE_BINARY_DIR} ${CMAKE_C_COMPILER})
    set_tests_properties(install_layout PROPERTIES TIMEOUT 60 LABELS install)
endif()
