# Shared build rules: warnings, sanitizers, tests and fuzz targets.

if(ZEMLO_SANITIZE STREQUAL "address")
    add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
    add_link_options(-fsanitize=address,undefined)
elseif(ZEMLO_SANITIZE STREQUAL "thread")
    add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
    add_link_options(-fsanitize=thread)
elseif(NOT ZEMLO_SANITIZE STREQUAL "")
    message(FATAL_ERROR "ZEMLO_SANITIZE must be address, thread or empty")
endif()

# In a fuzzing build every library is instrumented for coverage, not only the fuzz programs, so
# that libFuzzer sees the edges of the parsers it drives.
if(ZEMLO_FUZZ)
    add_compile_options(-fsanitize=fuzzer-no-link)
endif()

# Warnings are errors for the project's own code.
function(zemlo_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Werror -Wno-missing-field-initializers)
    # The sanitizers' instrumentation makes gcc's flow analysis report "may be used
    # uninitialized" inside the standard library (std::function in <regex>); the plain build
    # keeps the warning.
    if(ZEMLO_SANITIZE AND CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
        target_compile_options(${target} PRIVATE -Wno-maybe-uninitialized)
    endif()
endfunction()

# zemlo_windows_library(target): a DLL as a Windows caller expects it: named without a "lib" prefix
# (handlink.dll), needing no runtime library of the compiler's (they are linked in), with the
# .def file of its exports and an import library for Windows linkers (handlink.lib) beside it;
# MinGW's own import library is libhandlink.dll.a.
function(zemlo_windows_library target)
    set_target_properties(${target} PROPERTIES PREFIX "")
    set(def $<TARGET_FILE_DIR:${target}>/${target}.def)
    target_link_options(${target} PRIVATE -static -static-libgcc -static-libstdc++
                        "LINKER:--output-def,${def}" $<$<CONFIG:Release>:-s>)
    if(CMAKE_DLLTOOL)
        add_custom_command(TARGET ${target} POST_BUILD
            COMMAND ${CMAKE_DLLTOOL} -d ${def} -D $<TARGET_FILE_NAME:${target}>
                    -l $<TARGET_FILE_DIR:${target}>/${target}.lib
            VERBATIM)
    endif()
endfunction()

# `e2e_tests` builds every program that an end-to-end test runs, so that the ThreadSanitizer
# build compiles those and nothing else.
if(NOT TARGET e2e_tests)
    add_custom_target(e2e_tests)
endif()
function(zemlo_add_to_e2e_tests target)
    add_dependencies(e2e_tests ${target})
endfunction()

# zemlo_add_gtest(NAME n SOURCES ... [LIBS ...] [TIMEOUT s] [LABELS ...] [RUN_SERIAL])
# Builds one GoogleTest program into build/bin and registers its tests with CTest, each case as a
# test of its own. Label "waits" marks a program whose cases spend their time waiting on the
# handset's timeouts and the link's pauses: `make test` runs those several per core.
function(zemlo_add_gtest)
    cmake_parse_arguments(T "RUN_SERIAL" "NAME;TIMEOUT" "SOURCES;LIBS;LABELS" ${ARGN})
    find_package(GTest REQUIRED)
    include(GoogleTest)
    add_executable(${T_NAME} ${T_SOURCES})
    zemlo_warnings(${T_NAME})
    target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} GTest::gtest GTest::gmock GTest::gtest_main
                          Threads::Threads)
    if(NOT T_TIMEOUT)
        set(T_TIMEOUT 120)
    endif()
    set(props TIMEOUT ${T_TIMEOUT})
    if(T_LABELS)
        # The discovery of the cases passes only one value per property on, so the labels are
        # set once the cases are known: a file CTest reads after the discovery's own.
        set(label_file ${CMAKE_CURRENT_BINARY_DIR}/${T_NAME}_labels.cmake)
        file(WRITE ${label_file}
             "if(${T_NAME}_TESTS)\n"
             "    set_tests_properties(\${${T_NAME}_TESTS} PROPERTIES LABELS \"${T_LABELS}\")\n"
             "endif()\n")
    endif()
    if(T_RUN_SERIAL)
        list(APPEND props RUN_SERIAL TRUE)
    endif()
    # The tests pin the texts as written, in Chinese, whatever the locale of the machine running
    # them; the tests of the English texts choose the language themselves.
    list(APPEND props ENVIRONMENT "ZEMLO_LANG=zh")
    if("e2e" IN_LIST T_LABELS)
        zemlo_add_to_e2e_tests(${T_NAME})
    endif()
    gtest_discover_tests(${T_NAME} DISCOVERY_MODE PRE_TEST
                         WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/bin
                         PROPERTIES ${props})
    if(T_LABELS)
        set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${label_file})
    endif()
endfunction()

# zemlo_fuzz_target(NAME n SOURCES ... [LIBS ...])
# With ZEMLO_FUZZ (clang) it is a libFuzzer program. Otherwise the same entry point is linked
# with a small driver and runs, as a regular test, over the seed corpus and every input that
# once crashed it (fuzz/corpus/<n>, fuzz/regressions/<n>).
function(zemlo_fuzz_target)
    cmake_parse_arguments(F "" "NAME" "SOURCES;LIBS" ${ARGN})
    add_executable(fuzz_${F_NAME} ${F_SOURCES})
    zemlo_warnings(fuzz_${F_NAME})
    target_link_libraries(fuzz_${F_NAME} PRIVATE ${F_LIBS} Threads::Threads)
    if(ZEMLO_FUZZ)
        target_compile_options(fuzz_${F_NAME} PRIVATE -fsanitize=fuzzer)
        target_link_options(fuzz_${F_NAME} PRIVATE -fsanitize=fuzzer)
    else()
        target_sources(fuzz_${F_NAME} PRIVATE ${CMAKE_SOURCE_DIR}/fuzz/standalone_main.cpp)
        add_test(NAME fuzz_regression_${F_NAME}
                 COMMAND fuzz_${F_NAME} ${CMAKE_SOURCE_DIR}/fuzz/corpus/${F_NAME}
                         ${CMAKE_SOURCE_DIR}/fuzz/regressions/${F_NAME})
        set_tests_properties(fuzz_regression_${F_NAME} PROPERTIES TIMEOUT 300 LABELS fuzz)
    endif()
endfunction()

# zemlo_library_soname(VAR LIBRARY_FILE): the name the dynamic loader finds LIBRARY_FILE by, for a
# library the programs load at first use instead of linking it. The package built from this tree
# depends on it by hand (Packaging.cmake), since no binary names it any more.
function(zemlo_library_soname var library)
    get_filename_component(real "${library}" REALPATH)
    execute_process(COMMAND objdump -p "${real}" OUTPUT_VARIABLE dump ERROR_QUIET)
    if(dump MATCHES "SONAME +([^\n ]+)")
        set(soname "${CMAKE_MATCH_1}")
    else()
        get_filename_component(soname "${library}" NAME)
    endif()
    set(${var} "${soname}" PARENT_SCOPE)
    set_property(GLOBAL APPEND PROPERTY ZEMLO_DEFERRED_LIBRARIES "${real}")
endfunction()
