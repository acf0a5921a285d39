#include <gtest/gtest.h>

#include <vector>

#include "bitmap_builder.h"
#include "bitmap_view.h"
#include "graphic_conversion.h"
#include "zemlo/rgb565.h"

namespace {

using zemlo::display::convert;
using zemlo::display::graphic_bytes;
using zemlo::display::view_bitmap;
using zemlo::testing::BitmapSpec;
using zemlo::testing::build_bitmap;

std::vector<uint8_t> graphic_of(const std::vector<uint8_t> &bmp) {
    std::string why;
    const auto view = view_bitmap(bmp.data(), bmp.size(), &why);
    EXPECT_TRUE(view) << why;
    if (!view) {
        return {};
    }
    std::vector<uint8_t> graphic(graphic_bytes(*view), 0xEE);
    EXPECT_TRUE(convert(*view, graphic.data()));
    return graphic;
}

// Pixel i of the graphic as a 16-bit value (low byte first).
uint16_t px(const std::vector<uint8_t> &g, size_t i) {
    return zemlo::rgb565::from_bytes(g[5 + 2 * i], g[6 + 2 * i]);
}

TEST(DisplayConversion, TwentyFourBitRowsComeOutTopToBottom) {
    for (int32_t height : {2, -2}) {
        BitmapSpec shape{.width = 3, .height = height, .bits = 24};
        shape.pixels = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF, 0x000000, 0x808080};
        const auto g = graphic_of(build_bitmap(shape));
        ASSERT_EQ(g.size(), 5u + 3 * 2 * 2);
        EXPECT_EQ(g[0], 3);
        EXPECT_EQ(g[1], 2);
        EXPECT_EQ(zemlo::read_le16(g.data() + 2), 12);
        EXPECT_EQ(g[4], 5);
        EXPECT_EQ(px(g, 0), 0xF800) << "height " << height;
        EXPECT_EQ(px(g, 1), 0x07E0);
        EXPECT_EQ(px(g, 2), 0x001F);
        EXPECT_EQ(px(g, 3), 0xFFFF);
        EXPECT_EQ(px(g, 4), 0x0000);
        EXPECT_EQ(px(g, 5), zemlo::rgb565::pack(0x80, 0x80, 0x80));
    }
}

TEST(DisplayConversion, PaletteDepthsReadPackedIndices) {
    const std::vector<zemlo::testing::Bgr> four = {
        {0, 0, 0}, {0xFF, 0xFF, 0xFF}, {0, 0, 0xFF}, {0xFF, 0, 0}};
    for (uint16_t bits : {1, 2, 4, 8}) {
        BitmapSpec shape{.width = 9, .height = 1, .bits = bits};
        shape.palette =
            bits == 1 ? std::vector<zemlo::testing::Bgr>(four.begin(), four.begin() + 2) : four;
        const uint32_t top = bits == 1 ? 1 : 3;
        shape.pixels = {1, 0, top, 0, 1, 0, 0, 0, top};
        const auto g = graphic_of(build_bitmap(shape));
        ASSERT_EQ(g.size(), 5u + 9 * 2) << bits;
        const uint16_t top_colour = bits == 1 ? 0xFFFF : 0x001F;
        EXPECT_EQ(px(g, 0), 0xFFFF) << bits;
        EXPECT_EQ(px(g, 1), 0x0000) << bits;
        EXPECT_EQ(px(g, 2), top_colour) << bits;
        EXPECT_EQ(px(g, 8), top_colour) << bits;
    }
    // An index past a short palette is black, not a read past it.
    BitmapSpec shorter{.width = 2, .height = 1, .bits = 8, .palette = {{0xFF, 0xFF, 0xFF}}};
    shorter.pixels = {0, 200};
    const auto g = graphic_of(build_bitmap(shorter));
    EXPECT_EQ(px(g, 0), 0xFFFF);
    EXPECT_EQ(px(g, 1), 0x0000);
}

TEST(DisplayConversion, RefusesWhatTheBytesDoNotHold) {
    std::string why;
    BitmapSpec shape{.width = 4, .height = 4, .bits = 24};
    auto bmp = build_bitmap(shape);
    // Rows end one byte after the bytes given.
    EXPECT_FALSE(view_bitmap(bmp.data(), bmp.size() - 1, &why));
    EXPECT_EQ(why, "pixel rows run past the end of the bitmap");
    // Fields that point or multiply past the buffer: height, pixel offset, info header size.
    for (auto [field, value] : {std::pair{22, 0x7FFFFFFFu}, {10, 0xFFFFFFF0u}, {14, 0xFFFFFFFFu}}) {
        auto forged = bmp;
        zemlo::write_le32(forged.data() + field, value);
        EXPECT_FALSE(view_bitmap(forged.data(), forged.size(), &why)) << field;
    }
    // Depths and compression the driver does not convert.
    for (uint16_t bits : {16, 32, 3}) {
        auto other = bmp;
        zemlo::write_le16(other.data() + 28, bits);
        EXPECT_FALSE(view_bitmap(other.data(), other.size(), &why)) << bits;
    }
    auto rle = bmp;
    zemlo::write_le32(rle.data() + 30, 1);
    EXPECT_FALSE(view_bitmap(rle.data(), rle.size(), &why));
    EXPECT_FALSE(view_bitmap(bmp.data(), 53, &why));
}

TEST(DisplayConversion, SizesBeyondTheGraphicHeaderAreRefused) {
    std::string why;
    const auto wide = build_bitmap({.width = 256, .height = 1, .bits = 1, .palette = {{}, {}}});
    const auto wide_view = view_bitmap(wide.data(), wide.size(), &why);
    ASSERT_TRUE(wide_view) << why;
    EXPECT_EQ(graphic_bytes(*wide_view), 0u);

    // 200 x 200 fits the side bytes but not the 16-bit size: the requirement is reported
    // truthfully and the conversion refuses rather than describe it wrongly.
    const auto square = build_bitmap({.width = 200, .height = 200, .bits = 1, .palette = {{}, {}}});
    const auto view = view_bitmap(square.data(), square.size(), &why);
    ASSERT_TRUE(view) << why;
    EXPECT_EQ(graphic_bytes(*view), 5u + 200 * 200 * 2);
    std::vector<uint8_t> graphic(graphic_bytes(*view));
    EXPECT_FALSE(convert(*view, graphic.data()));
}

}  // namespace
