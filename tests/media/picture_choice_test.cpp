// The user's choice drawn and converted: crops, cover, zoomed frames, dither and the reduced
// decode, through the selection the panel keeps and through the command line.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>
#include <filesystem>

#include "picture_choice_area.h"
#include "picture_metrics.h"
#include "picture_preview.h"
#include "picture_selection.h"
#include "picture_test_support.h"
#include "rgb565_dither.h"
#include "synthetic_pictures.h"

namespace {

using namespace zemlo::media;
using namespace zemlo::testing;

QImage handset_shows(const std::string &file) {
    return handset_picture_image(read_file(file));
}

DecodedPicture decoded(const QImage &image, const DecodeOptions &options = {}) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(image.save(&buffer, "BMP"));
    DecodeResult r = decode_picture_bytes(bytes, options);
    EXPECT_TRUE(r.picture) << r.error;
    return r.picture ? *r.picture : DecodedPicture::raster(QImage(), {});
}

int count_black(const QImage &image) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            n += (image.pixel(x, y) & RGB_MASK) == 0 ? 1 : 0;
        }
    }
    return n;
}

QImage quadrants(int w, int h) {
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(Qt::white);
    for (int y = 0; y < h / 2; ++y) {
        for (int x = 0; x < w / 2; ++x) {
            image.setPixel(x, y, qRgb(255, 0, 0));
        }
    }
    return image;
}

TEST(PictureChoice, ACropShowsOnlyItsPartAndCoverLeavesNoBlack) {
    const DecodedPicture picture = decoded(quadrants(200, 200));
    PictureChoice choice;
    choice.effect = DisplayEffect::Stretch;
    choice.framing.crop = PixelRect{0, 0, 100, 100};
    const ChoiceArea red = picture_choice_area(picture, choice);
    ASSERT_FALSE(red.area.isNull());
    for (int y = 0; y < kAreaHeight; ++y) {
        for (int x = 0; x < kAreaWidth; ++x) {
            ASSERT_EQ(red.area.pixel(x, y) & RGB_MASK, 0xFF0000u) << x << "," << y;
        }
    }
    // Fitted, the crop is a picture of 100 x 100 pixels: drawn at its own size, in black.
    choice.effect = DisplayEffect::Fit;
    EXPECT_EQ(count_black(picture_choice_area(picture, choice).area),
              kAreaWidth * kAreaHeight - 100 * 100);

    // A 4:3 picture fitted leaves bands; covered, none.
    const DecodedPicture photo = decoded(quadrants(200, 150));
    PictureChoice cover;
    EXPECT_GT(count_black(picture_choice_area(photo, cover).area), 1000);
    cover.effect = DisplayEffect::Cover;
    EXPECT_EQ(count_black(picture_choice_area(photo, cover).area), 0);

    // A crop outside the picture draws nothing and says why.
    choice.framing.crop = PixelRect{150, 150, 100, 10};
    const ChoiceArea outside = picture_choice_area(picture, choice);
    EXPECT_TRUE(outside.area.isNull());
    EXPECT_EQ(outside.error, FramingError::CropOutside);
}

class PictureChoiceFiles : public ::testing::Test {
  protected:
    PictureFolders folders() const { return {ZEMLO_TEST_BIN_DIR, work_.path().string()}; }
    TempFolder work_;
    TempFolder source_;
};

TEST_F(PictureChoiceFiles, TheSameFrameGivesTheSameBytesInThePanelsOrderAndTheCommandLine) {
    const std::string photo = source_.file("photo.jpg");
    ASSERT_TRUE(synthetic_photo(2400, 1800, 3).save(QString::fromStdString(photo), "JPG", 90));
    PictureChoice choice;
    choice.effect = DisplayEffect::Cover;
    choice.framing.zoom = 3;
    choice.framing.center = SourcePoint{700, 500};
    choice.dither = true;

    // As the panel goes: the picture shown as it is, then framed by hand.
    PictureSelection panel(folders());
    ASSERT_TRUE(panel.show_picture(photo));
    panel.draw();
    const int plain_width = panel.picture()->image().width();
    ASSERT_TRUE(panel.set_choice(choice));
    // A frame three times as large is drawn from a decode with at least three times the pixels.
    EXPECT_GE(panel.picture()->image().width(), 3 * plain_width);
    ASSERT_TRUE(panel.convert_selection(source_.file("panel.dwn")).ok);

    // The choice made before the picture is loaded.
    PictureSelection first(folders());
    first.set_choice(choice);
    ASSERT_TRUE(first.show_picture(photo));
    ASSERT_TRUE(first.convert_selection(source_.file("first.dwn")).ok);

    const CliRun cli =
        run_convert_picture(work_, "'" + photo + "' '" + source_.file("cli.dwn") +
                                       "' --effect cover --zoom 3 --center 700,500 --dither");
    ASSERT_EQ(cli.status, 0) << cli.err;

    const auto bytes = read_file(source_.file("panel.dwn"));
    ASSERT_EQ(bytes.size(), 30748u);
    EXPECT_EQ(read_file(source_.file("first.dwn")), bytes);
    EXPECT_EQ(read_file(source_.file("cli.dwn")), bytes);
    // And the frame is what was converted, not the whole photo.
    ASSERT_EQ(run_convert_picture(work_, "'" + photo + "' '" + source_.file("whole.dwn") +
                                             "' --effect cover --dither")
                  .status,
              0);
    EXPECT_NE(read_file(source_.file("whole.dwn")), bytes);

    // A frame moved off the picture converts nothing, and the file converted before stays.
    choice.framing.center = SourcePoint{2500, 500};
    ASSERT_TRUE(panel.set_choice(choice));
    EXPECT_EQ(panel.draw().pixel(61, 63) & RGB_MASK, 0u);
    EXPECT_EQ(panel.framing_error(), FramingError::CenterOutside);
    EXPECT_FALSE(panel.convert_selection(source_.file("panel.dwn")).ok);
    EXPECT_EQ(read_file(source_.file("panel.dwn")), bytes);
}

TEST_F(PictureChoiceFiles, DitherKeepsGradientsSmoothExactAndRepeatable) {
    // A sky: a gentle blue gradient over the whole height, the kind that bands at 16 bits.
    const QImage sky = synthetic_gradient(244, 252, 1, QColor(90, 140, 200), QColor(120, 170, 235));
    const std::string path = source_.file("sky.bmp");
    save_image(sky, path, "BMP");
    PictureSelection selection(folders());
    ASSERT_TRUE(selection.show_picture(path));
    const QImage wanted = selection.draw();
    ASSERT_TRUE(selection.convert_selection(source_.file("plain.dwn")).ok);
    PictureChoice choice;
    choice.dither = true;
    ASSERT_TRUE(selection.set_choice(choice));
    const QImage dithered = selection.draw();
    ASSERT_TRUE(selection.convert_selection(source_.file("dither.dwn")).ok);

    // The handset shows exactly the dithered colours (the driver's cut keeps them), and without
    // dither exactly the cut ones (black aside, which it gets as 0x0101).
    const QRect picture(4, 4, 114, 118);  // inside the fitted 120 x 124
    const QImage shown = handset_shows(source_.file("dither.dwn"));
    EXPECT_EQ(shown.copy(picture), dithered.copy(picture));
    EXPECT_EQ(cut_to_rgb565(dithered), dithered);
    EXPECT_EQ(handset_shows(source_.file("plain.dwn")).copy(picture),
              cut_to_rgb565(wanted).copy(picture));
    const Banding plain = banding(wanted, cut_to_rgb565(wanted), picture);
    const Banding smooth = banding(wanted, shown, picture);
    EXPECT_LT(smooth.mean, plain.mean / 3) << plain.mean << " " << smooth.mean;
    EXPECT_LT(smooth.peak, plain.peak) << plain.peak << " " << smooth.peak;

    // Same picture, same bytes.
    PictureSelection again(folders());
    again.set_choice(choice);
    ASSERT_TRUE(again.show_picture(path));
    ASSERT_TRUE(again.convert_selection(source_.file("again.dwn")).ok);
    EXPECT_EQ(read_file(source_.file("again.dwn")), read_file(source_.file("dither.dwn")));

    // A colour the handset shows exactly gets no noise; pixels outside the region are left.
    QImage flat(20, 10, QImage::Format_RGB32);
    flat.fill(qRgb(0x84, 0x82, 0x84));
    flat.setPixel(0, 0, qRgb(1, 2, 3));
    const QImage out = dither_to_rgb565(flat, PixelRect{1, 0, 19, 10});
    EXPECT_EQ(out.pixel(0, 0) & RGB_MASK, 0x010203u);
    EXPECT_EQ(out.copy(1, 0, 19, 10), flat.copy(1, 0, 19, 10));
}

TEST_F(PictureChoiceFiles, ReducedDecodesStayCloseToTheFullDecode) {
    // A photo far larger than the screen is decoded at a fraction of its size; what the handset
    // gets must not be told apart from drawing the full decode.
    const QImage photo = synthetic_photo(3000, 2000, 11);
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    ASSERT_TRUE(photo.save(&buffer, "JPG", 90));
    const DecodeResult reduced = decode_picture_bytes(jpeg);
    ASSERT_TRUE(reduced.picture);
    ASSERT_LT(reduced.picture->image().width(), 400);
    QImage full = QImage::fromData(jpeg, "JPG");
    ASSERT_EQ(full.size(), QSize(3000, 2000));
    const DecodedPicture whole = DecodedPicture::raster(full, reduced.picture->natural());
    for (const DisplayEffect effect :
         {DisplayEffect::Fit, DisplayEffect::Stretch, DisplayEffect::Cover}) {
        for (const double zoom : {1.0, 2.5}) {
            PictureChoice choice;
            choice.effect = effect;
            choice.framing.zoom = zoom;
            const DecodeResult r = decode_picture_bytes(jpeg, decode_options_for(choice, whole));
            ASSERT_TRUE(r.picture);
            const double db = psnr(picture_choice_area(*r.picture, choice).area,
                                   picture_choice_area(whole, choice).area);
            EXPECT_GE(db, 40.0) << "effect " << static_cast<int>(effect) << " zoom " << zoom;
        }
    }
}

TEST_F(PictureChoiceFiles, CommandLineOptionsAreCheckedAndRefusedInTheUsersLanguage) {
    const std::string in = source_.file("q.bmp");
    save_image(quadrants(64, 40), in, "BMP");
    const std::string out = source_.file("q.dwn");
    const auto run = [&](const std::string &options, const std::string &language = "zh") {
        return run_convert_picture(work_, "'" + in + "' '" + out + "' " + options, language);
    };
    const struct {
        const char *options;
        const char *chinese;
        const char *english;
    } refusals[] = {
        {"--crop 1,2,3", "--crop 要四个整数", "--crop: whole numbers X,Y,W,H"},
        {"--crop 0,0,10,0", "--crop 要四个整数", "--crop: whole numbers X,Y,W,H"},
        {"--crop 0,0,10,10 --zoom 2", "不能和", "--crop goes without --zoom"},
        {"--zoom 0", "--zoom 要在0.1到64之间", "--zoom: from 0.1 to 64"},
        {"--zoom 2x", "--zoom 要在0.1到64之间", "--zoom: from 0.1 to 64"},
        {"--center 5", "--center 要两个数", "--center takes two numbers"},
        {"--effect tile", "cover（填满）", "fit, stretch or cover"},
        {"--crop 30,0,40,10", "取景超出了图片（摆正后为64 x 40像素）",
         "the frame lies outside the picture (64 x 40 pixels once upright)"},
        {"--zoom 2 --center 65,1", "取景超出了图片", "the frame lies outside the picture"},
    };
    for (const auto &r : refusals) {
        CliRun zh = run(r.options);
        EXPECT_EQ(zh.status, 2) << r.options;
        EXPECT_NE(zh.err.find(r.chinese), std::string::npos) << r.options << ": " << zh.err;
        CliRun en = run(r.options, "en");
        EXPECT_NE(en.err.find(r.english), std::string::npos) << r.options << ": " << en.err;
        EXPECT_FALSE(std::filesystem::exists(out)) << r.options;
    }
    const CliRun ok = run("--effect=cover --crop 0,0,32,20 --dither --no-autorotate");
    ASSERT_EQ(ok.status, 0) << ok.err;
    EXPECT_EQ(handset_shows(out).pixel(61, 63) & RGB_MASK, 0xFF0008u);  // red, 0x00 sent as 0x01
}

}  // namespace
