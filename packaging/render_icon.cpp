// Renders the program icon (an SVG) into a square PNG of the given size for the icon theme's
// fixed-size folders. Usage: zemlo-render-icon ICON.svg SIZE OUT.png
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QString>
#include <QSvgRenderer>
#include <cstdio>
#include <cstdlib>

namespace {

constexpr int kSmallestSize = 8;
constexpr int kLargestSize = 1024;

}  // namespace

int main(int argc, char **argv) {
    if (argc != 4) {
        std::fputs("usage: zemlo-render-icon ICON.svg SIZE OUT.png\n", stderr);
        return 2;
    }
    const int size = std::atoi(argv[2]);
    if (size < kSmallestSize || size > kLargestSize) {
        std::fprintf(stderr, "zemlo-render-icon: size %s is not between %d and %d\n", argv[2],
                     kSmallestSize, kLargestSize);
        return 2;
    }
    // Painting needs no display; the build machine may have none.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QSvgRenderer renderer(QString::fromLocal8Bit(argv[1]));
    if (!renderer.isValid()) {
        std::fprintf(stderr, "zemlo-render-icon: cannot read %s\n", argv[1]);
        return 1;
    }
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        renderer.render(&painter);
    }
    if (!image.save(QString::fromLocal8Bit(argv[3]), "PNG")) {
        std::fprintf(stderr, "zemlo-render-icon: cannot write %s\n", argv[3]);
        return 1;
    }
    return 0;
}
