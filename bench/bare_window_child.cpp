// The start benchmark's baseline: a plain Qt window, linked with Qt Widgets alone.
#include "first_paint.h"

int main(int argc, char **argv) {
    zemlo::bench::Marks marks;
    marks.mark("main");
    QApplication app(argc, argv);
    marks.mark("app");
    QWidget window;
    window.resize(707, 520);
    zemlo::bench::FirstPaint paint(&window, marks);
    window.show();
    return QApplication::exec();
}
