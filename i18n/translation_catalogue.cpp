#include "translation_catalogue.h"

#include <QCoreApplication>
#include <atomic>

namespace zemlo::i18n {

namespace {

std::atomic<UiLanguage> g_active{UiLanguage::Chinese};

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
        g_active = UiLanguage::Chinese;
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
    catalogue.release();
    g_active = UiLanguage::English;
    return true;
}

UiLanguage active_language() {
    return g_active;
}

}  // namespace zemlo::i18n
