#pragma once

#include <QImage>
#include <QWidget>

namespace zemlo::shell::test {

// The one QApplication of the test program, on the offscreen platform with the program's font.
void ensure_app();

// A fixture member declared before any widget member, so the application exists first.
struct AppGuard {
    AppGuard() { ensure_app(); }
};

// What the widget paints, as an image with one pixel per widget pixel.
QImage render(QWidget &w);

}  // namespace zemlo::shell::test
