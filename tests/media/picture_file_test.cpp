#include <gtest/gtest.h>

#include <QImage>

#include "graphic_text.h"
#include "handset_picture.h"
#include "picture_capture.h"
#include "picture_geometry.h"
#include "picture_preview.h"
#include "zemlo/byte_order.h"

namespace {

using namespace zemlo::media;

TEST(PictureCapture, IsATwentyFourBitBitmapStoredBottomUp) {
    QImage area(kAreaWidth, kAreaHeight, QImage::Format_RGB32);
    area.fill(Qt::blue);
    for (int x = 0; x < kAreaWidth; ++x) {
        area.setPixel(x, 0, qRgb(0xFF, 0, 0));  // top row red
    }
    area.setPixel(kAreaWidth - 1, kAreaHeight - 1, qRgb(1, 2, 3));
    const std::vector<uint8_t> bmp = encode_capture(area);
    ASSERT_EQ(bmp.size(), 46422u);
    const uint8_t *p = bmp.data();
    EXPECT_EQ(zemlo::read_le16(p), 0x4D42);
    EXPECT_EQ(zemlo::read_le32(p + 2), 46422u);
    EXPECT_EQ(zemlo::read_le32(p + 6), 0u);
    EXPECT_EQ(zemlo::read_le32(p + 10), 54u);
    EXPECT_EQ(zemlo::read_le32(p + 14), 40u);
    EXPECT_EQ(zemlo::read_le32(p + 18), 122u);
    EXPECT_EQ(zemlo::read_le32(p + 22), 126u);
    EXPECT_EQ(zemlo::read_le16(p + 26), 1);
    EXPECT_EQ(zemlo::read_le16(p + 28), 24);
    for (size_t field = 30; field < 54; field += 4) {
        EXPECT_EQ(zemlo::read_le32(p + field), 0u) << field;
    }
    constexpr size_t kRow = 368;
    // First stored row is the bottom one: blue, its last pixel (1, 2, 3) as blue-green-red,
    // then two padding bytes.
    EXPECT_EQ(std::vector<uint8_t>(p + 54, p + 57), (std::vector<uint8_t>{0xFF, 0, 0}));
    EXPECT_EQ(std::vector<uint8_t>(p + 54 + 363, p + 54 + kRow),
              (std::vector<uint8_t>{3, 2, 1, 0, 0}));
    const uint8_t *top = p + 54 + kRow * 125;
    EXPECT_EQ(std::vector<uint8_t>(top, top + 3), (std::vector<uint8_t>{0, 0, 0xFF}));
}

std::string text_for(const std::vector<uint8_t> &graphic) {
    return *zemlo::picmill::graphic_text(graphic.data(), graphic.size(), "QN_TEMP_EL_FILE");
}

TEST(HandsetPicture, ReadsTheConverterTextAndSendsZeroBytesAsOne) {
    const std::vector<uint8_t> graphic = {2, 1, 4, 0, 5, 0x00, 0x00, 0xAB, 0x10};
    std::string error;
    const auto file = handset_picture_from_text(text_for(graphic), &error);
    ASSERT_TRUE(file) << error;
    EXPECT_EQ(*file, (std::vector<uint8_t>{2, 1, 0x03, 0x10, 0x01, 0x01, 0xAB, 0x10}));
}

TEST(HandsetPicture, RefusesTextsThatAreNotOneWholePicture) {
    const std::string good = text_for({1, 2, 4, 0, 5, 1, 2, 3, 4});
    std::string error;
    ASSERT_TRUE(handset_picture_from_text(good, &error)) << error;

    auto without = [&](const std::string &needle) {
        std::string t = good;
        t.erase(t.find(needle), needle.size());
        return t;
    };
    for (const std::string &bad :
         {without("       2, /* bmHeight    */\n"), without("0x04, "), good + "    0x05, \n",
          without("       1, /* bmWidth     */\n"), std::string("0x01"), std::string(),
          good.substr(0, good.find("0x03")) + "0xzz, 0x04, \n  }\n}\n"}) {
        EXPECT_FALSE(handset_picture_from_text(bad, &error)) << bad;
        EXPECT_FALSE(error.empty());
    }
}

TEST(PicturePreview, DecodesTheFileAsSent) {
    // Black arrives as 0x0101; white and pure red come back exactly.
    const std::vector<uint8_t> file = {3, 1, 3, 0x10, 0x01, 0x01, 0xFF, 0xFF, 0x01, 0xF8};
    const QImage image = handset_picture_image(file);
    ASSERT_EQ(image.size(), QSize(3, 1));
    EXPECT_EQ(image.pixel(0, 0) & RGB_MASK, 0x002008u);
    EXPECT_EQ(image.pixel(1, 0) & RGB_MASK, 0xFFFFFFu);
    EXPECT_EQ(image.pixel(2, 0) & RGB_MASK, 0xFF0008u);
    EXPECT_TRUE(handset_picture_image({3, 1, 3, 0x10, 1}).isNull());
    EXPECT_TRUE(handset_picture_image({}).isNull());
    // Another kind or depth is not a picture of ours, whatever its size.
    EXPECT_TRUE(handset_picture_image({1, 1, 4, 0x10, 1, 1}).isNull());
    EXPECT_TRUE(handset_picture_image({1, 1, 3, 0x08, 1, 1}).isNull());
}

}  // namespace
