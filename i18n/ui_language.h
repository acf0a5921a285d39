#pragma once

#include <string>

namespace zemlo::i18n {

// The two languages the program speaks: Chinese is the language its texts are written in, English
// comes from the translation catalogue.
enum class UiLanguage { Chinese, English };

// The environment variables that decide the language, as read at start-up ("" when unset).
struct LocaleVariables {
    std::string zemlo_lang;   // ZEMLO_LANG: "zh" or "en" overrides the locale
    std::string language;     // LANGUAGE: a colon-separated list of preferences
    std::string lc_all;       // LC_ALL
    std::string lc_messages;  // LC_MESSAGES
    std::string lang;         // LANG
};

// Chinese for a zh locale and for the C/POSIX locale or none, English for every other locale.
// ZEMLO_LANG=zh|en wins over the locale; any other value of it is ignored.
UiLanguage choose_ui_language(const LocaleVariables &vars);

// Reads the variables above from the process environment.
LocaleVariables locale_variables_from_environment();

// The user guide's file name in the program folder for a language.
const char *help_file_name(UiLanguage language);

}  // namespace zemlo::i18n
