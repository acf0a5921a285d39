#include "picture_runtime.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <cstdio>

namespace zemlo::media {

namespace {

// A program without a window has nobody to show Qt's warnings about its missing desktop
// (no runtime folder, no screen); errors still reach standard error.
void quiet_handler(QtMsgType type, const QMessageLogContext &, const QString &message) {
    if (type == QtCriticalMsg || type == QtFatalMsg) {
        std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
    }
}

}  // namespace

void ensure_picture_runtime() {
    if (QCoreApplication::instance() != nullptr) {
        return;
    }
    // The arguments must outlive the application; the platform is named on its command line so
    // that a QT_QPA_PLATFORM meant for the desktop does not need a display here.
    static int argc = 3;
    static char name[] = "zemlo";
    static char option[] = "-platform";
    static char platform[] = "offscreen";
    static char *argv[] = {name, option, platform, nullptr};
    qInstallMessageHandler(quiet_handler);
    static auto *app = new QGuiApplication(argc, argv);
    (void)app;
}

bool picture_runtime_ready() {
    return qobject_cast<QGuiApplication *>(QCoreApplication::instance()) != nullptr;
}

}  // namespace zemlo::media
