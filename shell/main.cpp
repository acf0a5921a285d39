// The desktop program. Options: --port-device DEVICE maps the stored COM port to DEVICE for this
// run only, without touching the user's settings (the demo points it at the emulator's link).
// An optional FILE (a picture or MIDI file) starts with that file chosen; when a window is
// already running, the file is handed to it and this start ends.
#include <fcntl.h>
#include <unistd.h>

#include <QApplication>
#include <QCommandLineParser>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <string>

#include "dialog_units.h"
#include "font_warm_up.h"
#include "handset_text.h"
#include "instance_channel.h"
#include "main_window.h"
#include "outside_file.h"
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

// Hands the file (or, without a usable one, a request to come forward) to a window already
// running. Returns the exit status when one took it; nothing when this start should open the
// window itself (socket is dropped when something there does not answer).
std::optional<int> hand_to_running_window(std::optional<QString> &socket, const std::string &file,
                                          const zemlo::shell::OutsideFile &checked) {
    using zemlo::shell::ChannelRequest;
    using zemlo::shell::HandOver;
    ChannelRequest request;
    // Also a file that cannot be opened goes over: the running window says why, where the
    // person who chose it in a file manager looks.
    if (!file.empty()) {
        request = {ChannelRequest::Kind::Open, file};
    }
    switch (zemlo::shell::hand_over(*socket, request)) {
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

using zemlo::shell::channel_socket_path;
using zemlo::shell::check_outside_file;
using zemlo::shell::InstanceServer;
using zemlo::shell::OutsideFile;

int main(int argc, char **argv) {
    // The font configuration is read while the toolkit starts.
    const zemlo::shell::FontWarmUp fonts;
    // The version needs no window, so it is answered before the toolkit wants a display.
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--version") == 0) {
            std::fputs("zemlo " ZEMLO_VERSION "\n", stdout);
            return 0;
        }
    }
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
    const QCommandLineOption verbose_option(
        QStringLiteral("verbose"),
        QStringLiteral("Show the picture converter's own lines on standard output."));
    parser.addOption(verbose_option);
    parser.addPositionalArgument(QStringLiteral("FILE"),
                                 QStringLiteral("A picture or MIDI file to start with."),
                                 QStringLiteral("[FILE]"));
    parser.process(app);
    if (!parser.isSet(verbose_option)) {
        // The window shows its results itself; all that reaches standard output is the picture
        // converter's "writing …" line on every preview, which is kept off the terminal.
        const int null = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
        if (null >= 0) {
            std::fflush(stdout);
            ::dup2(null, STDOUT_FILENO);
            ::close(null);
        }
    }
    const QStringList files = parser.positionalArguments();
    if (files.size() > 1) {
        std::fputs("zemlo: give at most one file\n", stderr);
        return 2;
    }
    // Resolved here: a running window does not share this start's working folder.
    const std::string file =
        files.isEmpty() ? std::string()
                        : zemlo::shell::absolute_argument(raw_argument(argc, argv, files.front()));
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
    zemlo::shell::MainWindow window(*profile, QCoreApplication::applicationDirPath().toStdString());
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

    window.show();
    if (!file.empty()) {
        // After the first paint: a box about a bad file then has its window behind it.
        QTimer::singleShot(0, &window, [&window, file] { window.open_outside_file(file); });
    }
    return QApplication::exec();
}
