// Small picture files written byte by byte for the picture tests: a two-frame GIF, an icon with
// two images, an EMF and a WMF that each fill a red rectangle.
#pragma once

#include <QBuffer>
#include <QImage>
#include <cstdint>
#include <initializer_list>
#include <vector>

#include "zemlo/byte_order.h"

namespace zemlo::testing {

using Bytes = std::vector<uint8_t>;

inline void put16(Bytes &b, std::initializer_list<uint16_t> values) {
    for (uint16_t v : values) {
        b.insert(b.end(), {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8)});
    }
}
inline void put32(Bytes &b, std::initializer_list<uint32_t> values) {
    for (uint32_t v : values) {
        put16(b, {static_cast<uint16_t>(v), static_cast<uint16_t>(v >> 16)});
    }
}

// 1 x 1 GIF of two frames, red then black: clear code, one index, end code (code size 2).
inline Bytes two_frame_gif() {
    Bytes b = {'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0x80, 0, 0, 0xFF, 0, 0, 0, 0, 0};
    for (uint8_t code : {0x44, 0x4C}) {
        b.insert(b.end(), {0x21, 0xF9, 4, 0, 10, 0, 0, 0, 0x2C, 0, 0, 0, 0, 1, 0, 1, 0, 0});
        b.insert(b.end(), {2, 2, code, 0x01, 0});
    }
    b.push_back(0x3B);
    return b;
}

// An icon with a 16 x 16 green image and a 32 x 32 blue one, both stored as PNG.
inline Bytes two_image_icon() {
    std::vector<QByteArray> pngs;
    for (auto [side, colour] : {std::pair{16, Qt::green}, {32, Qt::blue}}) {
        QImage image(side, side, QImage::Format_RGB32);
        image.fill(colour);
        QBuffer buffer(&pngs.emplace_back());
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, "PNG");
    }
    Bytes b;
    put16(b, {0, 1, 2});
    uint32_t offset = 6 + 16 * 2;
    for (size_t i = 0; i < pngs.size(); ++i) {
        const auto side = static_cast<uint8_t>(i == 0 ? 16 : 32);
        b.insert(b.end(), {side, side, 0, 0});
        put16(b, {1, 32});
        put32(b, {static_cast<uint32_t>(pngs[i].size()), offset});
        offset += static_cast<uint32_t>(pngs[i].size());
    }
    for (const QByteArray &png : pngs) {
        b.insert(b.end(), png.begin(), png.end());
    }
    return b;
}

// An EMF whose frame is 3125 x 1562 (0.01 mm): red brush, select, rectangle, end of file.
inline Bytes red_emf() {
    Bytes body;
    put32(body, {39, 24, 1, 0, 0x000000FF, 0, 37, 12, 1, 43, 24, 0, 0, 99, 49, 14, 20, 0, 16, 20});
    Bytes b;
    put32(b, {1, 88, 0, 0, 99, 49, 0, 0, 3125, 1562, 0x464D4520, 0x10000,
              static_cast<uint32_t>(88 + body.size()), 5});
    put16(b, {2, 0});
    put32(b, {0, 0, 0, 1024, 768, 320, 240});
    b.insert(b.end(), body.begin(), body.end());
    return b;
}

// A placeable WMF of 1 x 0.5 inch: window origin and extent, red brush, select, rectangle, end.
inline Bytes red_wmf() {
    Bytes records;
    put32(records, {5});
    put16(records, {0x020B, 0, 0});
    put32(records, {5});
    put16(records, {0x020C, 500, 1000});
    put32(records, {7});
    put16(records, {0x02FC, 0, 0x00FF, 0x0000, 0});
    put32(records, {4});
    put16(records, {0x012D, 0});
    put32(records, {7});
    put16(records, {0x041B, 500, 1000, 0, 0});
    put32(records, {3});
    put16(records, {0});
    Bytes b;
    put32(b, {0x9AC6CDD7});
    put16(b, {0, 0, 0, 1000, 500, 1000, 0, 0});
    uint16_t checksum = 0;
    for (size_t i = 0; i < 20; i += 2) {
        checksum ^= zemlo::read_le16(b.data() + i);
    }
    put16(b, {checksum, 1, 9, 0x0300});
    put32(b, {static_cast<uint32_t>((18 + records.size()) / 2)});
    put16(b, {1, 7, 0, 0});
    b.insert(b.end(), records.begin(), records.end());
    return b;
}

}  // namespace zemlo::testing
