#include "offscreen_app.h"

#include <QApplication>
#include <QDir>
#include <QFont>
#include <QTemporaryFile>

namespace zemlo::shell::test {

void ensure_app() {
    if (QApplication::instance() != nullptr) {
        return;
    }
    // The offscreen screen is 800 x 600 unless told otherwise, smaller than the main window at
    // its normal font; a desktop-sized screen lets the windows keep that font.
    QTemporaryFile config(QDir::tempPath() + QStringLiteral("/zemlo-offscreen-XXXXXX.json"));
    if (config.open()) {
        config.write(R"({"screens": [{"name": "desktop", "x": 0, "y": 0, "width": 1920,
                         "height": 1200, "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})");
        config.flush();
        qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + config.fileName().toLocal8Bit());
    } else {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    static int argc = 1;
    static char name[] = "controls_tests";
    static char *argv[] = {name, nullptr};
    // Lives until the process ends; destroying it among static destructors is not safe.
    new QApplication(argc, argv);
    QApplication::setFont(QFont(QStringLiteral("WenQuanYi Micro Hei"), 9));
}

QImage render(QWidget &w) {
    return w.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

}  // namespace zemlo::shell::test
