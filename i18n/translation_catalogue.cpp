#include "translation_catalogue.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QPointer>
#include <atomic>

namespace zemlo::i18n {

namespace {

std::atomic<UiLanguage> g_active{UiLanguage::Chinese};
// The English catalogue while it is installed; only the thread that owns the application changes
// the language.
QPointer<QTranslator> g_english;
// Qt's own texts (a text box's context menu, the standard dialogs) in Chinese, while Chinese is
// spoken and the system has Qt's catalogue; they are English in Qt itself.
QPointer<QTranslator> g_qt_chinese;

void use_qt_chinese(bool wanted) {
    if (!wanted) {
        delete g_qt_chinese.data();
        return;
    }
    QCoreApplication *app = QCoreApplication::instance();
    if (g_qt_chinese || app == nullptr) {
        return;
    }
    auto catalogue = std::make_unique<QTranslator>();
    // Simplified Chinese, the script our own texts are written in, whatever the region.
    if (!catalogue->load(QStringLiteral("qtbase_zh_CN"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)) ||
        catalogue->isEmpty()) {
        return;  // without it Qt's few texts stay English, as before
    }
    catalogue->setParent(app);
    if (QCoreApplication::installTranslator(catalogue.get())) {
        g_qt_chinese = catalogue.release();
    }
}

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
        use_qt_chinese(true);
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
    use_qt_chinese(false);
    g_active = UiLanguage::English;
    return true;
}

UiLanguage active_language() {
    return g_active;
}

}  // namespace zemlo::i18n
