#include "translation_catalogue.h"

#include <QCoreApplication>
#include <QPointer>
#include <atomic>

namespace zemlo::i18n {

namespace {

std::atomic<UiLanguage> g_active{UiLanguage::Chinese};
// The English catalogue while it is installed; only the thread that owns the application changes
// the language.
QPointer<QTranslator> g_english;

}  // namespace

std::unique_ptr<QTranslator> load_english_catalogue() {
    auto translator = std::make_unique<QTranslator>();
    if (!translator->load(QString::fromLatin1(kEnglishCatalogue)) || translator->isEmpty()) {
        return nullptr;
    }
    return translator;
}

bool use_language(UiLanguage language) {
    if (language == UiLanguage::Chinese) {
        delete g_english.data();  // leaves the application's list of translators as it goes
        g_active = UiLanguage::Chinese;
        return true;
    }
    if (g_english) {
        return true;
    }
    QCoreApplication *app = QCoreApplication::instance();
    std::unique_ptr<QTranslator> catalogue = load_english_catalogue();
    if (app == nullptr || !catalogue) {
        return false;
    }
    // Owned by the application, so it goes when the application does.
    catalogue->setParent(app);
    if (!QCoreApplication::installTranslator(catalogue.get())) {
        return false;
    }
    g_english = catalogue.release();
    g_active = UiLanguage::English;
    return true;
}

UiLanguage active_language() {
    return g_active;
}

}  // namespace zemlo::i18n
