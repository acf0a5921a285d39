// Paints the twenty frames of the wait animation: a file travelling from the PC to the handset.
// Usage: zemlo-paint-frames <output folder>
// Writes <resource>_<position>.png for each frame, in the style and colours of the icons.

#include <QCoreApplication>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QString>
#include <QSvgRenderer>

#include <array>
#include <cstdio>

namespace {

constexpr int kWidth = 360;
constexpr int kHeight = 44;
constexpr int kFrames = 20;
constexpr std::array<int, kFrames> kResources = {230, 211, 212, 213, 214, 215, 216, 217, 218, 219,
                                                 220, 221, 222, 223, 224, 225, 226, 227, 228, 229};
// Where the travelling file starts and ends (its left edge).
constexpr double kTrackStart = 64.0;
constexpr double kTrackEnd = 292.0;
constexpr double kTrackY = 22.0;

QString frameSvg(int position) {
    const double t = static_cast<double>(position) / (kFrames - 1);
    const double docX = kTrackStart + (kTrackEnd - kTrackStart) * t;
    // The handset's screen lights up as the file arrives.
    const QString screen =
        position >= kFrames - 2 ? QStringLiteral("#9fe0a8") : QStringLiteral("#9fd0f0");
    QString svg =
        QStringLiteral(
            "<svg xmlns='http://www.w3.org/2000/svg' width='360' height='44' viewBox='0 0 360 44'>"
            "<rect width='360' height='44' fill='#c0c0c0'/>"
            // The PC: monitor, stand and keyboard.
            "<rect x='8' y='3.5' width='40' height='27' rx='2.5' fill='#3d7bd9' stroke='#1f3a5a' "
            "stroke-width='1.5'/>"
            "<rect x='11.5' y='7' width='33' height='20' rx='1' fill='#9fd0f0' stroke='#1f3a5a' "
            "stroke-width='1'/>"
            "<path d='M24 30.5 h8 l2 5 h-12 z' fill='#dbe8f8' stroke='#1f3a5a' stroke-width='1.2'/>"
            "<rect x='14' y='36' width='28' height='4.5' rx='1.5' fill='#dbe8f8' stroke='#1f3a5a' "
            "stroke-width='1.2'/>"
            // The handset.
            "<rect x='322' y='2' width='22' height='40' rx='4' fill='#3d7bd9' stroke='#1f3a5a' "
            "stroke-width='1.5'/>"
            "<rect x='325.5' y='6' width='15' height='15' rx='1' fill='%1' stroke='#1f3a5a' "
            "stroke-width='1'/>"
            "<rect x='328' y='25' width='10' height='2.5' rx='1.2' fill='#dbe8f8'/>"
            "<rect x='326' y='31' width='14' height='7' rx='2' fill='#dbe8f8'/>"
            // The cable: dotted ahead of the file, solid green behind it.
            "<path d='M52 22 H318' stroke='#1f3a5a' stroke-width='2' stroke-dasharray='2 4' "
            "stroke-linecap='round'/>"
            "<path d='M52 22 H%2' stroke='#2f9e55' stroke-width='3' stroke-linecap='round'/>")
            .arg(screen)
            .arg(docX + 2, 0, 'f', 1);
    // The file: a page with a folded corner, and a small arrow ahead of it.
    svg += QStringLiteral(
               "<g transform='translate(%1 %2)'>"
               "<path d='M0.75 0.75 H10 L15.25 6 V21.25 H0.75 Z' fill='#ffffff' stroke='#1f3a5a' "
               "stroke-width='1.5' stroke-linejoin='round'/>"
               "<path d='M10 0.75 V6 H15.25' fill='#dbe8f8' stroke='#1f3a5a' stroke-width='1.2' "
               "stroke-linejoin='round'/>"
               "<path d='M3.5 10 H12.5 M3.5 13.5 H12.5 M3.5 17 H9.5' stroke='#3d7bd9' "
               "stroke-width='1.4' stroke-linecap='round'/>"
               "<path d='M20 7 L26 11 L20 15 Z' fill='#2f9e55' stroke='#1f3a5a' "
               "stroke-width='1' stroke-linejoin='round'/>"
               "</g></svg>")
               .arg(docX, 0, 'f', 1)
               .arg(kTrackY - 11, 0, 'f', 1);
    return svg;
}

}  // namespace

int main(int argc, char **argv) {
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <output folder>\n", argv[0]);
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    for (int i = 0; i < kFrames; ++i) {
        QSvgRenderer renderer(frameSvg(i).toUtf8());
        if (!renderer.isValid()) {
            std::fprintf(stderr, "frame %d: bad drawing\n", i);
            return 1;
        }
        QImage image(kWidth, kHeight, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter p(&image);
        renderer.render(&p);
        p.end();
        const QString name = QStringLiteral("%1/%2_%3.png")
                                 .arg(folder)
                                 .arg(kResources[static_cast<std::size_t>(i)])
                                 .arg(i, 2, 10, QLatin1Char('0'));
        if (!image.save(name)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(name));
            return 1;
        }
    }
    return 0;
}
