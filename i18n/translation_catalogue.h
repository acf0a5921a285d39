#pragma once

#include <QTranslator>
#include <memory>

#include "ui_language.h"

namespace zemlo::i18n {

// Where the English catalogue lives: compiled into the program, so it is found wherever the
// program is installed or copied.
inline constexpr const char *kEnglishCatalogue = ":/i18n/zemlo_en.qm";

// The English catalogue; null when it cannot be read.
std::unique_ptr<QTranslator> load_english_catalogue();

// Makes the running application speak `language` (an application object must exist); it may be
// called again to switch. Chinese needs no catalogue: the texts are written in it. False when the
// English catalogue cannot be loaded; the program then stays in Chinese rather than showing half of
// each.
bool use_language(UiLanguage language);

// The language use_language() last put into effect; Chinese before any call.
UiLanguage active_language();

}  // namespace zemlo::i18n
