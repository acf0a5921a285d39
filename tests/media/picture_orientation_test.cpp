// Photos stored sideways or mirrored with an orientation tag: turned upright before they are
// placed, in the decoding every front end uses, unless the caller asks for the picture as stored.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>

#include "picture_decoder.h"
#include "picture_drawing.h"
#include "picture_test_support.h"

namespace {

using namespace zemlo::media;
using namespace zemlo::testing;

// Four quadrants whose colours survive JPEG: red, green / blue, white.
QImage upright_reference(int w, int h) {
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const bool right = x >= w / 2;
            const bool lower = y >= h / 2;
            image.setPixel(x, y,
                           !lower ? (right ? qRgb(0, 200, 0) : qRgb(220, 0, 0))
                                  : (right ? qRgb(255, 255, 255) : qRgb(0, 0, 220)));
        }
    }
    return image;
}

// Where the tag's transformation puts the stored pixel (x, y) of a w x h picture, as the tag's
// values are defined: 2 mirrors, 3 turns half round, 4 flips, 5 transposes, 6 turns a quarter
// clockwise, 7 transposes the other way, 8 turns a quarter anticlockwise.
QPoint shown_at(int orientation, int x, int y, int w, int h) {
    switch (orientation) {
        case 2:
            return {w - 1 - x, y};
        case 3:
            return {w - 1 - x, h - 1 - y};
        case 4:
            return {x, h - 1 - y};
        case 5:
            return {y, x};
        case 6:
            return {h - 1 - y, x};
        case 7:
            return {h - 1 - y, w - 1 - x};
        case 8:
            return {y, w - 1 - x};
        default:
            return {x, y};
    }
}

// The picture as a camera held that way stores it, so that the tag turns it back into upright.
QImage stored_for(int orientation, const QImage &upright) {
    const bool sideways = orientation >= 5;
    const int w = sideways ? upright.height() : upright.width();
    const int h = sideways ? upright.width() : upright.height();
    QImage stored(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const QPoint p = shown_at(orientation, x, y, w, h);
            stored.setPixel(x, y, upright.pixel(p));
        }
    }
    return stored;
}

// An APP1 segment holding a big-endian TIFF header and one IFD with the orientation tag only.
QByteArray exif_segment(int orientation) {
    const char body[] = {'E',  'x',
                         'i',  'f',
                         0,    0,  // identifier
                         'M',  'M',
                         0,    42,
                         0,    0,
                         0,    8,  // TIFF header, IFD at 8
                         0,    1,  // one entry
                         0x01, 0x12,
                         0,    3,
                         0,    0,
                         0,    1,  // orientation, SHORT, 1
                         0,    static_cast<char>(orientation),
                         0,    0,  // its value
                         0,    0,
                         0,    0};  // no next IFD
    QByteArray segment("\xFF\xE1", 2);
    const int length = static_cast<int>(sizeof body) + 2;
    segment.append(static_cast<char>(length >> 8)).append(static_cast<char>(length & 0xFF));
    segment.append(body, sizeof body);
    return segment;
}

QByteArray jpeg_with_orientation(const QImage &stored, int orientation) {
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(stored.save(&buffer, "JPG", 95));
    jpeg.insert(2, exif_segment(orientation));  // right after the start-of-image marker
    return jpeg;
}

// The colour at the middle of each quadrant, near enough to the reference's.
void expect_quadrants_like(const QImage &image, const QImage &reference, const std::string &what) {
    ASSERT_EQ(image.size(), reference.size()) << what;
    for (const QPointF at :
         {QPointF(0.25, 0.25), QPointF(0.75, 0.25), QPointF(0.25, 0.75), QPointF(0.75, 0.75)}) {
        const int x = static_cast<int>(at.x() * image.width());
        const int y = static_cast<int>(at.y() * image.height());
        const QRgb got = image.pixel(x, y);
        const QRgb want = reference.pixel(x, y);
        EXPECT_NEAR(qRed(got), qRed(want), 40) << what << " at " << x << "," << y;
        EXPECT_NEAR(qGreen(got), qGreen(want), 40) << what << " at " << x << "," << y;
        EXPECT_NEAR(qBlue(got), qBlue(want), 40) << what << " at " << x << "," << y;
    }
}

TEST(PictureOrientation, EveryTagTurnsThePhotoUprightAndNoAutorotateKeepsItAsStored) {
    const QImage upright = upright_reference(64, 40);
    for (int orientation = 1; orientation <= 8; ++orientation) {
        const std::string what = "orientation " + std::to_string(orientation);
        const QImage stored = stored_for(orientation, upright);
        const QByteArray jpeg = jpeg_with_orientation(stored, orientation);

        const DecodeResult turned = decode_picture_bytes(jpeg);
        ASSERT_TRUE(turned.picture) << what << ": " << turned.error;
        expect_quadrants_like(turned.picture->image(), upright, what);
        EXPECT_EQ(turned.picture->upright_size(), (PictureSize{64, 40})) << what;
        EXPECT_EQ(turned.picture->natural().width, mul_div(64, kHimetricPerInch, 96)) << what;
        EXPECT_EQ(turned.picture->natural().height, mul_div(40, kHimetricPerInch, 96)) << what;
        // What the handset shows is the upright photo, fitted as an upright photo is.
        expect_quadrants_like(draw_picture_area(*turned.picture, DisplayEffect::Stretch),
                              upright.scaled(kAreaWidth, kAreaHeight), what + ", drawn");

        DecodeOptions as_stored;
        as_stored.autorotate = false;
        const DecodeResult kept = decode_picture_bytes(jpeg, as_stored);
        ASSERT_TRUE(kept.picture) << what;
        expect_quadrants_like(kept.picture->image(), stored, what + ", as stored");
    }
}

TEST(PictureOrientation, ASidewaysPhotoIsReducedToCoverTheAreaOnceUpright) {
    // Stored 3000 x 2000 and turned a quarter: 2000 x 3000 upright. Reduced as stored, the
    // upright picture would come out 126 wide and too short to cover 126 rows.
    const QImage stored = stored_for(6, upright_reference(2000, 3000));
    const DecodeResult r = decode_picture_bytes(jpeg_with_orientation(stored, 6));
    ASSERT_TRUE(r.picture) << r.error;
    const QImage &image = r.picture->image();
    EXPECT_GE(image.width(), kAreaWidth);
    EXPECT_GE(image.height(), kAreaHeight);
    EXPECT_LT(image.width(), 200);
    EXPECT_GT(image.height(), image.width());
    EXPECT_EQ(r.picture->upright_size(), (PictureSize{2000, 3000}));
    expect_quadrants_like(image, upright_reference(image.width(), image.height()), "reduced");
}

}  // namespace
