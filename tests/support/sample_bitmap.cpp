#include "sample_bitmap.h"

#include "zemlo/byte_order.h"

namespace zemlo::testing {

std::vector<uint8_t> bitmap24(uint32_t w, uint32_t h,
                              const std::function<uint8_t(uint32_t, uint32_t)> &byte_at) {
    const uint32_t row = (w * 3 + 3) / 4 * 4;
    std::vector<uint8_t> v(54, 0);
    uint8_t *p = v.data();
    write_le16(p, 0x4D42);  // "BM"
    write_le32(p + 2, 54 + row * h);
    write_le32(p + 10, 54);
    write_le32(p + 14, 40);
    write_le32(p + 18, w);
    write_le32(p + 22, h);
    write_le16(p + 26, 1);
    write_le16(p + 28, 24);
    v.reserve(v.size() + size_t{row} * h);
    for (uint32_t y = 0; y < h; ++y) {
        for (uint32_t x = 0; x < row; ++x) {
            v.push_back(byte_at(x, y));
        }
    }
    return v;
}

std::vector<uint8_t> ramp_bitmap(uint32_t w, uint32_t h) {
    return bitmap24(w, h,
                    [](uint32_t x, uint32_t y) { return static_cast<uint8_t>(x * 7 + y * 3); });
}

}  // namespace zemlo::testing
