zemlo_add_gtest(NAME app_messages_tests
    SOURCES messages_test.cpp
    LIBS zemlo_core)

if(TARGET handsim_core AND TARGET handlink)
    zemlo_add_gtest(NAME app_typed_core_tests
        SOURCES typed_core_test.cpp
        LIBS zemlo_core handsim_core
        TIMEOUT 120
        LABELS e2e)
    add_dependencies(app_typed_core_tests handlink)
endif()
