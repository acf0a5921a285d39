# The link library's inside stays inside: devlink/src holds its internals, and no program or
# library outside devlink/ includes from there or links its internal parts (handlink_core,
# handlink_link). What the others need has a public header of its own: devlink/include (the C
# interface) and devlink/trace/include (the name tables and the trace format). The library's own
# tests, its fuzz targets and its benchmarks may reach inside, so tests/, fuzz/ and bench/ are not
# checked.
#
# Two checks: the targets, here at configure time (their include folders and libraries change
# only with a CMake file, which makes CMake run again), and the sources, by the CTest test
# private_headers_stay_inside (cmake/check_private_headers.cmake), at every test run.

set(zemlo_private_dir ${CMAKE_SOURCE_DIR}/devlink/src)
set(zemlo_internal_libraries handlink_core handlink_link)
set(zemlo_unchecked_folders devlink tests fuzz bench)

function(zemlo_targets_below dir out)
    get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
    get_property(subdirs DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
    foreach(sub ${subdirs})
        zemlo_targets_below(${sub} below)
        list(APPEND targets ${below})
    endforeach()
    set(${out} ${targets} PARENT_SCOPE)
endfunction()

# The folder of the tree a target belongs to ("app", "sim", ...).
function(zemlo_top_folder target out)
    get_target_property(dir ${target} SOURCE_DIR)
    file(RELATIVE_PATH rel ${CMAKE_SOURCE_DIR} ${dir})
    string(REGEX REPLACE "/.*" "" top "${rel}")
    set(${out} "${top}" PARENT_SCOPE)
endfunction()

zemlo_targets_below(${CMAKE_SOURCE_DIR} zemlo_all_targets)
set(zemlo_reaching "")
foreach(target ${zemlo_all_targets})
    zemlo_top_folder(${target} top)
    if(top IN_LIST zemlo_unchecked_folders)
        continue()
    endif()
    set(dirs "")
    foreach(property INCLUDE_DIRECTORIES INTERFACE_INCLUDE_DIRECTORIES)
        get_target_property(value ${target} ${property})
        if(value)
            list(APPEND dirs ${value})
        endif()
    endforeach()
    foreach(dir ${dirs})
        # The source root as an include folder would let "devlink/src/..." through as well.
        if(dir STREQUAL CMAKE_SOURCE_DIR OR dir MATCHES "^${zemlo_private_dir}(/|$)")
            list(APPEND zemlo_reaching "${target} (${top}/) includes from ${dir}")
        endif()
    endforeach()
    foreach(property LINK_LIBRARIES INTERFACE_LINK_LIBRARIES)
        get_target_property(value ${target} ${property})
        foreach(library ${value})
            string(REGEX REPLACE "^\\$<LINK_ONLY:(.*)>$" "\\1" library "${library}")
            if(library IN_LIST zemlo_internal_libraries)
                list(APPEND zemlo_reaching "${target} (${top}/) links ${library}")
            endif()
        endforeach()
    endforeach()
endforeach()
if(zemlo_reaching)
    list(JOIN zemlo_reaching "\n  " listed)
    message(FATAL_ERROR "The link library's internals (devlink/src) are reached from outside "
                        "devlink/:\n  ${listed}\nUse devlink/include or devlink/trace/include, "
                        "or give what is needed a public home (docs/architecture.md).")
endif()

add_test(NAME private_headers_stay_inside
         COMMAND ${CMAKE_COMMAND} -DROOT=${CMAKE_SOURCE_DIR}
                 -P ${CMAKE_SOURCE_DIR}/cmake/check_private_headers.cmake)
# The check itself, on a small tree where one file reaches inside: it must fail there.
add_test(NAME private_headers_check_sees_a_reach
         COMMAND ${CMAKE_COMMAND} -DROOT=${CMAKE_SOURCE_DIR}/tests/private_headers/reaching_tree
                 -P ${CMAKE_SOURCE_DIR}/cmake/check_private_headers.cmake)
set_tests_properties(private_headers_check_sees_a_reach PROPERTIES WILL_FAIL TRUE)
