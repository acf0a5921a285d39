#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include "picture_decoder.h"
#include "picture_drawing.h"
#include "picture_samples.h"
#include "picture_test_support.h"

namespace {

using namespace zemlo::media;
using namespace zemlo::testing;

int himetric(int pixels) {
    return mul_div(pixels, kHimetricPerInch, kLogicalDpi);
}

DecodedPicture decode_ok(const std::string &path) {
    DecodeResult r = decode_picture(path);
    EXPECT_TRUE(r.picture) << path << ": " << r.error;
    return r.picture ? *r.picture : DecodedPicture::raster(QImage(), {});
}

// The colour in the middle of the picture's rectangle once drawn into the area.
QRgb centre_colour(const DecodedPicture &picture, DisplayEffect effect = DisplayEffect::Fit) {
    const QImage area = draw_picture_area(picture, effect);
    const NaturalSize n = picture.natural();
    const PixelRect r = picture_rect(effect, n.width, n.height);
    return area.pixel(r.left - kAreaInset + r.width / 2, r.top - kAreaInset + r.height / 2) &
           RGB_MASK;
}

QImage filled(int w, int h, QColor colour) {
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

TEST(PictureDecoder, RasterFormatsGiveTheirPixelsAndNaturalSize) {
    TempFolder dir;
    save_image(filled(40, 20, Qt::blue), dir.file("a.bmp"), "BMP");
    save_image(filled(40, 20, Qt::green), dir.file("a.jpg"), "JPG");
    for (const char *name : {"a.bmp", "a.jpg"}) {
        const DecodedPicture p = decode_ok(dir.file(name));
        EXPECT_EQ(p.natural().width, himetric(40)) << name;
        EXPECT_EQ(p.natural().height, himetric(20)) << name;
    }
    EXPECT_EQ(centre_colour(decode_ok(dir.file("a.bmp"))), 0x0000FFu);
    EXPECT_GT(qGreen(centre_colour(decode_ok(dir.file("a.jpg")))), 0xF0);
}

TEST(PictureDecoder, GifGivesItsFirstFrameAndIcoItsLargestImage) {
    TempFolder dir;
    write_file(dir.file("a.gif"), two_frame_gif());
    write_file(dir.file("a.ico"), two_image_icon());
    const DecodedPicture gif = decode_ok(dir.file("a.gif"));
    EXPECT_EQ(gif.natural().width, himetric(1));
    EXPECT_EQ(centre_colour(gif), 0xFF0000u);
    const DecodedPicture ico = decode_ok(dir.file("a.ico"));
    EXPECT_EQ(ico.image().size(), QSize(32, 32));
    EXPECT_EQ(centre_colour(ico), 0x0000FFu);
}

TEST(PictureDecoder, MetafilesTakeTheirNaturalSizeFromTheirFrame) {
    TempFolder dir;
    write_file(dir.file("a.emf"), red_emf());
    write_file(dir.file("a.wmf"), red_wmf());
    const DecodedPicture emf = decode_ok(dir.file("a.emf"));
    EXPECT_TRUE(emf.is_vector());
    EXPECT_EQ(emf.natural().width, 3125);
    EXPECT_EQ(emf.natural().height, 1562);
    EXPECT_EQ(centre_colour(emf), 0xFF0000u);
    const DecodedPicture wmf = decode_ok(dir.file("a.wmf"));
    EXPECT_EQ(wmf.natural().width, 2540);  // one inch
    EXPECT_EQ(wmf.natural().height, 1270);
    EXPECT_EQ(centre_colour(wmf, DisplayEffect::Stretch), 0xFF0000u);
}

TEST(PictureDecoder, LargeJpegsDecodeReducedButKeepTheirNaturalSize) {
    TempFolder dir;
    save_image(filled(2400, 1800, Qt::red), dir.file("big.jpg"), "JPG");
    const DecodedPicture p = decode_ok(dir.file("big.jpg"));
    EXPECT_EQ(p.natural().width, himetric(2400));
    EXPECT_EQ(p.natural().height, himetric(1800));
    EXPECT_LT(p.image().width(), 400);
    EXPECT_GE(p.image().width(), kAreaWidth);
    EXPECT_GE(p.image().height(), kAreaHeight);
}

TEST(PictureDecoder, UndecodableFilesFailWithAReason) {
    TempFolder dir;
    write_file(dir.file("text.jpg"), {'h', 'e', 'l', 'l', 'o'});
    write_file(dir.file("empty.bmp"), {});
    auto bad_emf = red_emf();
    zemlo::write_le32(bad_emf.data() + 4, 100000);  // header longer than the file
    write_file(dir.file("bad.emf"), bad_emf);
    auto cut_jpeg = std::vector<uint8_t>{0xFF, 0xD8, 0xFF, 0xE0, 0, 16, 'J', 'F', 'I', 'F', 0};
    write_file(dir.file("cut.jpg"), cut_jpeg);
    auto flat_wmf = red_wmf();
    zemlo::write_le16(flat_wmf.data() + 14, 0);  // no units per inch
    write_file(dir.file("flat.wmf"), flat_wmf);
    for (const char *name :
         {"text.jpg", "empty.bmp", "bad.emf", "cut.jpg", "flat.wmf", "missing.gif"}) {
        const DecodeResult r = decode_picture(dir.file(name));
        EXPECT_FALSE(r.picture) << name;
        EXPECT_FALSE(r.error.empty()) << name;
    }
}

TEST(PictureDrawing, TransparentPartsShowTheBlackBackground) {
    QImage clear(10, 10, QImage::Format_ARGB32);
    clear.fill(Qt::transparent);
    const QImage area = draw_picture_area(
        DecodedPicture::raster(clear, {himetric(10), himetric(10)}), DisplayEffect::Stretch);
    EXPECT_EQ(area.size(), QSize(kAreaWidth, kAreaHeight));
    for (int y = 0; y < area.height(); ++y) {
        for (int x = 0; x < area.width(); ++x) {
            ASSERT_EQ(area.pixel(x, y) & RGB_MASK, 0u) << x << "," << y;
        }
    }
}

}  // namespace
