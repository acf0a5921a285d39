# The desktop program: its pure helpers directly, and the windows offscreen against the handset
# emulator, driven with mouse clicks and keys.
# The serial port library only to check the device folder's ports against it.
find_package(Qt6 REQUIRED COMPONENTS SerialPort)
zemlo_add_gtest(NAME shell_logic_tests
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/shell_logic_test.cpp
            ${CMAKE_CURRENT_LIST_DIR}/notice_boxes_test.cpp
            ${CMAKE_CURRENT_LIST_DIR}/offscreen_app.cpp
            ${CMAKE_CURRENT_LIST_DIR}/folder_reads_end.cpp
    LIBS zemlo_shell Qt6::SerialPort)

if(TARGET handsim_core AND TARGET handlink)
    # Against the emulator, so e2e; but Qt's own libraries are not built with ThreadSanitizer,
    # which then cannot see the locks of Qt's cross-thread event queue and reports races that are
    # not there. The thread-sanitizer build keeps the test under a label of its own.
    set(shell_window_labels e2e waits)
    if(ZEMLO_SANITIZE STREQUAL "thread")
        set(shell_window_labels widget waits)
    endif()
    find_package(Qt6 REQUIRED COMPONENTS Test)
    zemlo_add_gtest(NAME shell_window_tests
        SOURCES ${CMAKE_CURRENT_LIST_DIR}/shell_window_test.cpp
                ${CMAKE_CURRENT_LIST_DIR}/offscreen_app.cpp
                ${CMAKE_CURRENT_LIST_DIR}/folder_reads_end.cpp
        LIBS zemlo_shell handsim_core Qt6::Test
        TIMEOUT 300
        LABELS ${shell_window_labels})
endif()
if(TARGET shell_window_tests)
    # Help is checked against the user guide that the program's build puts beside it.
    add_dependencies(shell_window_tests zemlo)
endif()

# Files from outside: the command line, a later start of the program, drops.
# The toolkit's own local socket stands in for a peer written by someone else.
find_package(Qt6 REQUIRED COMPONENTS Test Network)
zemlo_add_gtest(NAME shell_outside_files_tests
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/outside_files_test.cpp
            ${CMAKE_CURRENT_LIST_DIR}/offscreen_app.cpp
            ${CMAKE_CURRENT_LIST_DIR}/folder_reads_end.cpp
    LIBS zemlo_shell Qt6::Test Qt6::Network
    LABELS widget)
target_compile_definitions(shell_outside_files_tests PRIVATE
    ZEMLO_DESKTOP_ENTRY="${CMAKE_SOURCE_DIR}/packaging/io.github.zemlo.Zemlo.desktop")
# The second start is the real program.
add_dependencies(shell_outside_files_tests zemlo)
