zemlo_add_gtest(NAME app_messages_tests
    SOURCES messages_test.cpp
    LIBS zemlo_core)
