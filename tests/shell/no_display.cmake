# Without any display the desktop program says so and exits with status 1, instead of letting the
# toolkit abort with advice that does not apply.
if(TARGET zemlo)
    add_test(NAME zemlo_without_display
             COMMAND sh -c [=[out=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$0" 2>&1)
                               status=$?
                               echo "$out"
                               [ "$status" -eq 1 ] && printf '%s' "$out" | grep -q 'no display']=]
                     $<TARGET_FILE:zemlo>)
    set_tests_properties(zemlo_without_display PROPERTIES TIMEOUT 30)
endif()
