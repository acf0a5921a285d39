// The desktop program. Options: --port-device DEVICE maps the stored COM port to DEVICE for this
// run only, without touching the user's settings (the demo points it at the emulator's link).
#include <QApplication>
#include <QCommandLineParser>
#include <memory>

#include "dialog_units.h"
#include "main_window.h"
#include "profile.h"

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("zemlo"));
    QApplication::setOrganizationName(QStringLiteral("Quennet Corp"));
    QApplication::setFont(zemlo::shell::dialog_font());

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

    zemlo::shell::MainWindow window(*profile, QCoreApplication::applicationDirPath().toStdString());
    window.initialise();
    window.show();
    return QApplication::exec();
}
