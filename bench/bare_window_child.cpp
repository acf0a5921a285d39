// The start benchmark's baselines: a plain Qt window, linked with Qt Widgets alone. "bare" draws
// nothing; "text" draws one line in the main window's dialog font (its families and size), so
// its start holds what any window with text pays the system's fonts: reading the font
// configuration, listing the fonts, matching and loading one face and its glyphs.
#include <QLabel>
#include <cstring>

#include "first_paint.h"

int main(int argc, char **argv) {
    zemlo::bench::Marks marks;
    marks.mark("main");
    const bool with_text = argc >= 3 && std::strcmp(argv[2], "text") == 0;
    QApplication app(argc, argv);
    marks.mark("app");
    QWidget window;
    window.resize(707, 520);
    if (with_text) {
        QFont font(QStringLiteral("WenQuanYi Micro Hei"), 9);
        font.setFamilies(
            {QStringLiteral("WenQuanYi Micro Hei"), QStringLiteral("Noto Sans CJK SC")});
        window.setFont(font);
        auto *label =
            new QLabel(QStringLiteral("连接 下载 重命名 删除 断开 Connect Download"), &window);
        label->move(10, 10);
    }
    zemlo::bench::FirstPaint paint(&window, marks);
    window.show();
    return QApplication::exec();
}
