#include "offscreen_app.h"

#include <QApplication>
#include <QFont>

namespace zemlo::shell::test {

void ensure_app() {
    if (QApplication::instance() != nullptr) {
        return;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
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
