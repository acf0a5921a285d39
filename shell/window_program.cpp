#include "window_program.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>

#include "artwork.h"
#include "dialog_units.h"
#include "font_warm_up.h"
#include "handset_text.h"
#include "instance_channel.h"
#include "main_window.h"
#include "outside_file.h"
#include "profile.h"
#include "translation_catalogue.h"
#include "zemlo/run_folder.h"

namespace zemlo::shell {

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

// Hands the file (or, without a usable one, a request to come forward) to a window already
// running. Returns the exit status when one took it; nothing when this start should open the
// window itself (socket is dropped when something there does not answer).
std::optional<int> hand_to_running_window(std::optional<QString> &socket, const std::string &file,
                                          const OutsideFile &checked) {
    ChannelRequest request;
    // Also a file that cannot be opened goes over: the running window says why, where the
    // person who chose it in a file manager looks.
    if (!file.empty()) {
        request = {ChannelRequest::Kind::Open, file};
    }
    switch (hand_over(*socket, request)) {
        case HandOver::Delivered:
            return 0;
        case HandOver::Refused:
            if (checked.ok()) {
                std::fprintf(stderr, "zemlo: the running window refused %s\n",
                             zemlo::app::printable_local_text(file).c_str());
            } else {
                std::fprintf(stderr, "zemlo: %s\n", checked.error.toLocal8Bit().constData());
            }
            return 1;
        case HandOver::NoAnswer:
            std::fputs("zemlo: the running window does not answer; starting another\n", stderr);
            socket.reset();
            return std::nullopt;
        case HandOver::NoInstance:
            break;
    }
    return std::nullopt;
}

// The argument as the command line gave it, byte for byte: the parser's decoded text cannot hold
// a name that is not UTF-8.
std::string raw_argument(int argc, char **argv, const QString &decoded) {
    for (int i = argc - 1; i > 0; --i) {
        if (QString::fromLocal8Bit(argv[i]) == decoded) {
            return argv[i];
        }
    }
    return decoded.toStdString();
}

}  // namespace

int run_window_program(int argc, char **argv, const StartWatch &watch) {
    // The font configuration is read while the toolkit starts.
    FontWarmUp fonts;
    // Without a display the toolkit aborts with advice that does not apply; say what is wrong.
    if (!has_display()) {
        std::fputs(
            "zemlo: no display to open the window on (DISPLAY and WAYLAND_DISPLAY are not "
            "set); zemlo-cli does the same work without one\n",
            stderr);
        return 1;
    }
    QApplication app(argc, argv);
    if (watch.step) {
        watch.step("app");
    }
    QApplication::setApplicationName(QStringLiteral("zemlo"));
    QApplication::setOrganizationName(QStringLiteral("Quennet Corp"));
    // Lets Wayland docks tie the window to its menu entry.
    QGuiApplication::setDesktopFileName(QStringLiteral("io.github.zemlo.Zemlo"));
    QApplication::setFont(dialog_font());
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
    // Read by main() before the start: the picture converter's lines reach the terminal only
    // when asked for.
    const QCommandLineOption verbose_option(
        QStringLiteral("verbose"),
        QStringLiteral("Show the picture converter's own lines on standard output."));
    parser.addOption(verbose_option);
    const QCommandLineOption version_option(QStringLiteral("version"),
                                            QStringLiteral("Print the version and exit."));
    parser.addOption(version_option);
    parser.addPositionalArgument(QStringLiteral("FILE"),
                                 QStringLiteral("A picture or MIDI file to start with."),
                                 QStringLiteral("[FILE]"));
    parser.process(app);
    const QStringList files = parser.positionalArguments();
    if (files.size() > 1) {
        std::fputs("zemlo: give at most one file\n", stderr);
        return 2;
    }
    // Resolved here: a running window does not share this start's working folder.
    const std::string file = files.isEmpty()
                                 ? std::string()
                                 : absolute_argument(raw_argument(argc, argv, files.front()));
    const OutsideFile checked = file.empty() ? OutsideFile{} : check_outside_file(file);

    // A run on a device of its own (--port-device) is deliberately separate from the user's
    // window; every other start hands over to a running window, which owns the serial port.
    std::optional<QString> socket;
    if (!parser.isSet(device_option)) {
        QString why;
        socket = channel_socket_path(&why);
        if (!socket) {
            std::fprintf(stderr, "zemlo: %s; a later start opens a window of its own\n",
                         qPrintable(why));
        }
    }
    InstanceServer server;
    if (socket) {
        if (const std::optional<int> status = hand_to_running_window(socket, file, checked)) {
            return *status;
        }
    }
    if (socket) {
        QString why;
        if (!server.listen(*socket, &why)) {
            // Two starts at the same moment: the other one may be listening by now.
            if (const std::optional<int> status = hand_to_running_window(socket, file, checked)) {
                return *status;
            }
            std::fprintf(stderr, "zemlo: %s; a later start opens a window of its own\n",
                         qPrintable(why));
        }
    }

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
    // The window's first text needs the font configuration. Whoever asks for it while it is
    // still being read reads it again beside it, so the read-ahead is waited for instead, after
    // what the window needs and can have without fonts: its icons and menus.
    read_artwork();
    WindowHooks hooks;
    hooks.before_text = [&fonts] { fonts.wait(); };
    MainWindow window(*profile, QCoreApplication::applicationDirPath().toStdString(), hooks);
    window.initialise();

    const auto bring_forward = [&window] {
        window.showNormal();
        window.raise();
        window.activateWindow();
    };
    QObject::connect(&server, &InstanceServer::showRequested, &window, bring_forward);
    QObject::connect(&server, &InstanceServer::openRequested, &window,
                     [&window, bring_forward](const QByteArray &path) {
                         bring_forward();
                         window.open_outside_file(path.toStdString());
                     });

    if (watch.step) {
        watch.step("built");
    }
    if (watch.showing) {
        watch.showing(window);
    }
    window.show();
    if (!file.empty()) {
        // After the first paint: a box about a bad file then has its window behind it.
        QTimer::singleShot(0, &window, [&window, file] { window.open_outside_file(file); });
    }
    return QApplication::exec();
}

}  // namespace zemlo::shell
