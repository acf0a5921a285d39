#include "ui_language.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <optional>
#include <string_view>

namespace zemlo::i18n {

namespace {

// No locale name is longer than this; a longer value is not a locale and only its start is read.
constexpr std::size_t kMaxLocaleName = 256;

bool iequals(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

// The language part of a locale name: "zh_CN.UTF-8@euro" -> "zh", "C.UTF-8" -> "C".
std::string_view language_part(std::string_view locale) {
    locale = locale.substr(0, std::min(locale.size(), kMaxLocaleName));
    const std::size_t end = locale.find_first_of("_.@");
    return locale.substr(0, end);
}

bool is_source_locale(std::string_view locale) {
    const std::string_view lang = language_part(locale);
    return iequals(lang, "zh") || iequals(lang, "C") || iequals(lang, "POSIX");
}

UiLanguage language_of_locale(std::string_view locale) {
    return is_source_locale(locale) ? UiLanguage::Chinese : UiLanguage::English;
}

// LANGUAGE lists preferences in order; empty entries ("en::zh", a trailing colon) say nothing.
std::optional<UiLanguage> language_of_list(std::string_view list) {
    list = list.substr(0, std::min(list.size(), kMaxLocaleName));
    while (!list.empty()) {
        const std::size_t colon = list.find(':');
        const std::string_view entry = list.substr(0, colon);
        if (!entry.empty()) {
            return language_of_locale(entry);
        }
        if (colon == std::string_view::npos) {
            break;
        }
        list.remove_prefix(colon + 1);
    }
    return std::nullopt;
}

std::string env(const char *name) {
    const char *value = std::getenv(name);
    return value == nullptr ? std::string() : std::string(value);
}

}  // namespace

UiLanguage choose_ui_language(const LocaleVariables &vars) {
    if (iequals(vars.zemlo_lang, "zh")) {
        return UiLanguage::Chinese;
    }
    if (iequals(vars.zemlo_lang, "en")) {
        return UiLanguage::English;
    }
    if (const std::optional<UiLanguage> listed = language_of_list(vars.language)) {
        return *listed;
    }
    for (const std::string *value : {&vars.lc_all, &vars.lc_messages, &vars.lang}) {
        if (!value->empty()) {
            return language_of_locale(*value);
        }
    }
    return UiLanguage::Chinese;  // no locale at all is the C locale
}

LocaleVariables locale_variables_from_environment() {
    return {env("ZEMLO_LANG"), env("LANGUAGE"), env("LC_ALL"), env("LC_MESSAGES"), env("LANG")};
}

const char *help_file_name(UiLanguage language) {
    return language == UiLanguage::English ? "dwnHelp-en.html" : "dwnHelp.html";
}

}  // namespace zemlo::i18n
