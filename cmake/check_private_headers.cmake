# cmake -DROOT=<source tree> -P check_private_headers.cmake
# Fails when a C or C++ file outside devlink/ (and outside tests/, fuzz/ and bench/, which may reach
# the library's internals) includes a file from devlink/src, by any path that names it.
if(NOT ROOT)
    message(FATAL_ERROR "ROOT (the source tree) is not set")
endif()

file(GLOB tops LIST_DIRECTORIES true RELATIVE ${ROOT} ${ROOT}/*)
set(reaching "")
foreach(top ${tops})
    if(NOT IS_DIRECTORY ${ROOT}/${top} OR top MATCHES "^(devlink|tests|fuzz|bench|build.*|\\..*)$")
        continue()
    endif()
    file(GLOB_RECURSE sources RELATIVE ${ROOT}
         ${ROOT}/${top}/*.c ${ROOT}/${top}/*.cc ${ROOT}/${top}/*.cpp ${ROOT}/${top}/*.h
         ${ROOT}/${top}/*.hpp)
    foreach(source ${sources})
        file(STRINGS ${ROOT}/${source} includes REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"]")
        foreach(line ${includes})
            if(line MATCHES "[<\"][^>\"]*devlink/src/[^>\"]*[>\"]")
                string(STRIP "${line}" line)
                list(APPEND reaching "${source}: ${line}")
            endif()
        endforeach()
    endforeach()
endforeach()

if(reaching)
    list(JOIN reaching "\n  " listed)
    message(FATAL_ERROR "Files outside devlink/ include the link library's internals:\n  ${listed}")
endif()
message(STATUS "Nothing outside devlink/ includes from devlink/src.")
