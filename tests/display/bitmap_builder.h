// Builds small Windows bitmap files byte by byte for the picture tests.
#pragma once

#include <cstdint>
#include <vector>

#include "zemlo/byte_order.h"

namespace zemlo::testing {

struct Bgr {
    uint8_t b, g, r;
};

struct BitmapSpec {
    int32_t width = 1;
    int32_t height = 1;  // negative: rows stored top-down
    uint16_t bits = 24;
    uint32_t compression = 0;
    std::vector<Bgr> palette;      // for 1 to 8 bits
    std::vector<uint32_t> pixels;  // top row first: palette index, or 0xRRGGBB at 24 bits
};

inline std::vector<uint8_t> build_bitmap(const BitmapSpec &s) {
    const uint32_t w = static_cast<uint32_t>(s.width);
    const uint32_t h = static_cast<uint32_t>(s.height < 0 ? -s.height : s.height);
    const uint32_t stride = (w * s.bits + 31) / 32 * 4;
    const uint32_t offset = 54 + static_cast<uint32_t>(s.palette.size()) * 4;
    std::vector<uint8_t> out(offset + stride * h, 0);
    uint8_t *p = out.data();
    write_le16(p, 0x4D42);
    write_le32(p + 2, static_cast<uint32_t>(out.size()));
    write_le32(p + 10, offset);
    write_le32(p + 14, 40);
    write_le32(p + 18, w);
    write_le32(p + 22, static_cast<uint32_t>(s.height));
    write_le16(p + 26, 1);
    write_le16(p + 28, s.bits);
    write_le32(p + 30, s.compression);
    write_le32(p + 46, static_cast<uint32_t>(s.palette.size()));
    for (size_t i = 0; i < s.palette.size(); ++i) {
        p[54 + i * 4] = s.palette[i].b;
        p[54 + i * 4 + 1] = s.palette[i].g;
        p[54 + i * 4 + 2] = s.palette[i].r;
    }
    for (uint32_t y = 0; y < h && !s.pixels.empty(); ++y) {
        const uint32_t stored = s.height < 0 ? y : h - 1 - y;
        uint8_t *row = p + offset + stored * stride;
        for (uint32_t x = 0; x < w; ++x) {
            const uint32_t v = s.pixels[y * w + x];
            if (s.bits == 24) {
                row[x * 3] = static_cast<uint8_t>(v);
                row[x * 3 + 1] = static_cast<uint8_t>(v >> 8);
                row[x * 3 + 2] = static_cast<uint8_t>(v >> 16);
            } else if (s.bits <= 8) {
                const uint32_t bit = x * s.bits;
                row[bit / 8] |= static_cast<uint8_t>(v << (8 - s.bits - bit % 8));
            }
        }
    }
    return out;
}

}  // namespace zemlo::testing
