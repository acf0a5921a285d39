# The window as a screen reader sees it: its accessibility tree in process, in both languages.
find_package(Qt6 REQUIRED COMPONENTS Test)
zemlo_add_gtest(NAME accessibility_tests
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/accessibility_test.cpp
            ${CMAKE_CURRENT_LIST_DIR}/offscreen_app.cpp
            ${CMAKE_CURRENT_LIST_DIR}/folder_reads_end.cpp
    LIBS zemlo_shell Qt6::Test
    LABELS widget)

# And once as a screen reader really reads it: the real program under a virtual display with the
# accessibility bus, walked over AT-SPI (python3-pyatspi, at-spi2-core, dbus-daemon and xvfb from
# scripts/install-deps.sh).
find_program(ZEMLO_DBUS_RUN_SESSION dbus-run-session)
find_program(ZEMLO_XVFB_RUN xvfb-run)
if(TARGET zemlo AND ZEMLO_DBUS_RUN_SESSION AND ZEMLO_XVFB_RUN)
    add_test(NAME ScreenReader.OverAtSpiEveryControlHasANameInBothLanguages
        COMMAND ${ZEMLO_DBUS_RUN_SESSION} -- ${ZEMLO_XVFB_RUN} -a -s "-screen 0 1280x1024x24"
                /usr/bin/python3 ${CMAKE_CURRENT_LIST_DIR}/atspi_view.py $<TARGET_FILE:zemlo>)
    set_tests_properties(ScreenReader.OverAtSpiEveryControlHasANameInBothLanguages
        PROPERTIES TIMEOUT 180 LABELS widget)
endif()
