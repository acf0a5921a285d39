// zemlo-demo-samples DIR: draws the demo's sample picture and composes its sample melody, so the
// demo needs no media from anywhere else. Writes DIR/hills.jpg and DIR/greeting.mid.
#include <QColor>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "picture_runtime.h"

namespace {

constexpr int kWidth = 320;
constexpr int kHeight = 240;
constexpr int kJpegQuality = 90;
constexpr uint16_t kTicksPerBeat = 96;
constexpr uint32_t kTempo = 500000;  // microseconds a beat: 120 beats a minute

bool draw_picture(const std::string &path) {
    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, kHeight);
    sky.setColorAt(0.0, QColor(30, 60, 140));
    sky.setColorAt(0.7, QColor(250, 150, 80));
    p.fillRect(image.rect(), sky);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 220, 90));
    p.drawEllipse(QPointF(kWidth * 0.62, kHeight * 0.62), 46, 46);
    QPainterPath hills;
    hills.moveTo(0, kHeight);
    hills.lineTo(0, kHeight * 0.72);
    hills.cubicTo(kWidth * 0.3, kHeight * 0.55, kWidth * 0.5, kHeight * 0.9, kWidth,
                  kHeight * 0.68);
    hills.lineTo(kWidth, kHeight);
    hills.closeSubpath();
    p.setBrush(QColor(40, 110, 60));
    p.drawPath(hills);
    p.end();
    return image.save(QString::fromStdString(path), "JPG", kJpegQuality);
}

void put_be(std::vector<uint8_t> &v, uint32_t x, int bytes) {
    for (int i = bytes - 1; i >= 0; --i) {
        v.push_back(static_cast<uint8_t>(x >> (8 * i)));
    }
}

// One track of notes played one after the other, each {key, beats/2}.
std::vector<uint8_t> note_track(uint8_t channel, uint8_t program,
                                const std::vector<std::pair<uint8_t, uint8_t>> &notes,
                                bool with_tempo) {
    std::vector<uint8_t> t;
    if (with_tempo) {
        t.insert(t.end(), {0x00, 0xFF, 0x51, 0x03});
        put_be(t, kTempo, 3);
    }
    t.insert(t.end(), {0x00, static_cast<uint8_t>(0xC0 | channel), program});
    for (const auto &[key, halves] : notes) {
        const uint32_t ticks = kTicksPerBeat / 2 * halves;
        t.insert(t.end(), {0x00, static_cast<uint8_t>(0x90 | channel), key, 0x64});
        // The length as a variable-length quantity (at most two bytes here).
        if (ticks >= 0x80) {
            t.push_back(static_cast<uint8_t>(0x80 | (ticks >> 7)));
        }
        t.push_back(static_cast<uint8_t>(ticks & 0x7F));
        t.insert(t.end(), {static_cast<uint8_t>(0x80 | channel), key, 0x40});
    }
    t.insert(t.end(), {0x00, 0xFF, 0x2F, 0x00});
    std::vector<uint8_t> chunk{'M', 'T', 'r', 'k'};
    put_be(chunk, static_cast<uint32_t>(t.size()), 4);
    chunk.insert(chunk.end(), t.begin(), t.end());
    return chunk;
}

bool write_melody(const std::string &path) {
    std::vector<uint8_t> midi{'M', 'T', 'h', 'd'};
    put_be(midi, 6, 4);
    put_be(midi, 1, 2);  // format 1: the tune and its bass
    put_be(midi, 2, 2);
    put_be(midi, kTicksPerBeat, 2);
    const auto tune = note_track(0, 0,
                                 {{67, 1},
                                  {67, 1},
                                  {69, 2},
                                  {67, 2},
                                  {72, 2},
                                  {71, 4},
                                  {67, 1},
                                  {67, 1},
                                  {69, 2},
                                  {67, 2},
                                  {74, 2},
                                  {72, 4}},
                                 true);
    const auto bass = note_track(1, 32, {{48, 8}, {43, 8}, {48, 8}}, false);
    midi.insert(midi.end(), tune.begin(), tune.end());
    midi.insert(midi.end(), bass.begin(), bass.end());
    std::ofstream f(path, std::ios::binary);
    f.write(reinterpret_cast<const char *>(midi.data()), static_cast<std::streamsize>(midi.size()));
    return static_cast<bool>(f);
}

}  // namespace

int main(int argc, char **argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: zemlo-demo-samples DIR\n");
        return 2;
    }
    zemlo::media::ensure_picture_runtime();
    const std::string dir = argv[1];
    if (!draw_picture(dir + "/hills.jpg") || !write_melody(dir + "/greeting.mid")) {
        std::fprintf(stderr, "zemlo-demo-samples: cannot write into %s\n", dir.c_str());
        return 1;
    }
    std::printf("%s/hills.jpg\n%s/greeting.mid\n", dir.c_str(), dir.c_str());
    return 0;
}
