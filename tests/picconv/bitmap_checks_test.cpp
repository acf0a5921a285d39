#include <gtest/gtest.h>

#include <vector>

#include "bitmap_builder.h"
#include "bmp_data.h"

namespace {

using zemlo::picmill::BMPData;
using zemlo::testing::BitmapSpec;
using zemlo::testing::build_bitmap;

struct Checked {
    bool ok;
    std::string diagnostics;
};

Checked check(std::vector<uint8_t> bytes) {
    BMPData job({});
    std::string diagnostics;
    const bool ok = job.load_image(std::move(bytes), "in.bmp", &diagnostics);
    return {ok, diagnostics};
}

TEST(BitmapChecks, AcceptsUncompressedPaletteAndTrueColourBitmaps) {
    for (uint16_t bits : {1, 2, 4, 8, 24}) {
        BitmapSpec shape{.width = 3, .height = 2, .bits = bits};
        if (bits <= 8) {
            shape.palette.resize(2);
        }
        const Checked c = check(build_bitmap(shape));
        EXPECT_TRUE(c.ok) << bits << ": " << c.diagnostics;
        EXPECT_EQ(c.diagnostics, "");
    }
}

TEST(BitmapChecks, EachRefusalPrintsItsLine) {
    const auto good = build_bitmap({.width = 3, .height = 2});

    auto not_bm = good;
    not_bm[0] = 'X';
    EXPECT_EQ(check(not_bm).diagnostics, "in.bmp not BMP file\n");
    EXPECT_EQ(check({'B', 'M', 0}).diagnostics, "in.bmp not BMP file\n");

    auto longer = good;
    longer.push_back(0);
    const Checked extra = check(longer);
    EXPECT_FALSE(extra.ok);
    EXPECT_EQ(extra.diagnostics, "Error: BMP file size 79 does not match its header (78)\n");
    // A size field that matches the file but cannot hold the two headers.
    std::vector<uint8_t> tiny = {'B', 'M', 20, 0, 0, 0};
    tiny.resize(20);
    EXPECT_FALSE(check(tiny).ok);

    auto rle =
        build_bitmap({.width = 3, .height = 2, .bits = 8, .compression = 1, .palette = {{}, {}}});
    EXPECT_EQ(check(rle).diagnostics, "Error: BMP file must not be compressed\n");

    for (uint16_t bits : {16, 32}) {
        auto deep = good;
        zemlo::write_le16(deep.data() + 28, bits);
        const Checked c = check(deep);
        EXPECT_FALSE(c.ok);
        EXPECT_EQ(c.diagnostics, "Error: BMP file has " + std::to_string(bits) +
                                     " bits per pixel; only 1, 2, 4, 8 and 24 are supported\n");
    }
}

}  // namespace
