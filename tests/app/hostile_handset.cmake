# What a hostile handset sends: names shown on screen and storage descriptions that do not add up.
zemlo_add_gtest(NAME app_hostile_handset_tests
    SOURCES handset_text_test.cpp storage_check_test.cpp
    LIBS zemlo_core)
