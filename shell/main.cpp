// The desktop program. Options: --port-device DEVICE maps the stored COM port to DEVICE for this
// run only, without touching the user's settings (the demo points it at the emulator's link).
#include <QApplication>
#include <QCommandLineParser>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "dialog_units.h"
#include "main_window.h"
#include "profile.h"
#include "translation_catalogue.h"
#include "zemlo/run_folder.h"

namespace {

bool has_display() {
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        const char *value = std::getenv(name);
        if (value != nullptr && *value != '\0') {
            return true;
        }
    }
    return false;
}

}  // namespace

int main(int argc, char **argv) {
    // Without a display the toolkit aborts with advice that does not apply; say what is wrong.
    if (!has_display()) {
        std::fputs(
            "zemlo: no display to open the window on (DISPLAY and WAYLAND_DISPLAY are not "
            "set); zemlo-cli does the same work without one\n",
            stderr);
        return 1;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("zemlo"));
    QApplication::setOrganizationName(QStringLiteral("Quennet Corp"));
    // Lets Wayland docks tie the window to its menu entry.
    QGuiApplication::setDesktopFileName(QStringLiteral("io.github.zemlo.Zemlo"));
    QApplication::setFont(zemlo::shell::dialog_font());
    using namespace zemlo::i18n;
    if (!use_language(choose_ui_language(locale_variables_from_environment()))) {
        std::fputs("zemlo: the English texts could not be loaded; the window stays in Chinese\n",
                   stderr);
    }

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Zemlo Loader"));
    parser.addHelpOption();
    const QCommandLineOption device_option(
        QStringLiteral("port-device"),
        QStringLiteral("Use DEVICE for the stored COM port in this run only."),
        QStringLiteral("DEVICE"));
    parser.addOption(device_option);
    parser.process(app);

    zemlo::app::SettingsProfile settings;
    std::unique_ptr<zemlo::app::MemoryProfile> memory;
    zemlo::app::Profile *profile = &settings;
    if (parser.isSet(device_option)) {
        memory = std::make_unique<zemlo::app::MemoryProfile>(settings.com_port());
        memory->set_port_device(settings.com_port(), parser.value(device_option).toStdString());
        profile = memory.get();
    }

    // The picture selection's folder in the work folder goes with the window, and also when a
    // signal ends the program.
    zemlo::remove_run_folders_when_signalled();
    zemlo::shell::MainWindow window(*profile, QCoreApplication::applicationDirPath().toStdString());
    window.initialise();
    window.show();
    return QApplication::exec();
}
