# The program's languages: the rule that picks one, the English catalogue against the texts in the
# code (running lupdate over the sources), and the windows' texts in both languages.
if(TARGET zemlo_i18n)
    zemlo_add_gtest(NAME translations_tests
        SOURCES ${CMAKE_CURRENT_LIST_DIR}/translations_test.cpp
                ${CMAKE_CURRENT_LIST_DIR}/offscreen_app.cpp
                ${CMAKE_CURRENT_LIST_DIR}/folder_reads_end.cpp
        LIBS zemlo_shell)
    target_compile_definitions(translations_tests PRIVATE
        ZEMLO_SOURCE_DIR="${CMAKE_SOURCE_DIR}" ZEMLO_LUPDATE="${ZEMLO_LUPDATE}")
endif()
