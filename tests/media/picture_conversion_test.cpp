#include <gtest/gtest.h>

#include <QImage>
#include <algorithm>

#include "picture_samples.h"
#include "picture_selection.h"
#include "picture_test_support.h"

namespace {

using namespace zemlo::media;
using namespace zemlo::testing;

constexpr size_t kStandardFileBytes = 30748;

class PictureConversion : public ::testing::Test {
  protected:
    PictureFolders folders() const { return {ZEMLO_TEST_BIN_DIR, work_.path().string()}; }
    std::string picture(const QColor &colour, int w, int h, const std::string &name) {
        QImage image(w, h, QImage::Format_RGB32);
        image.fill(colour);
        save_image(image, source_.file(name), "BMP");
        return source_.file(name);
    }

    TempFolder work_;
    TempFolder source_;
};

TEST_F(PictureConversion, CaptureBecomesTheHandsetPictureFile) {
    PictureSelection selection(folders());
    ASSERT_TRUE(selection.show_picture(picture(Qt::white, 10, 10, "w.bmp")))
        << selection.last_error();
    EXPECT_FALSE(selection.captured());
    selection.draw();
    EXPECT_TRUE(selection.captured());
    EXPECT_EQ(read_file(work_.file("tmp.bmp")).size(), 46422u);

    const std::string out = source_.file("out.dwn");
    const ConversionOutcome outcome = selection.convert_selection(out);
    ASSERT_TRUE(outcome.ok) << outcome.error;
    const std::vector<uint8_t> file = read_file(out);
    ASSERT_EQ(file.size(), kStandardFileBytes);
    EXPECT_EQ(std::vector<uint8_t>(file.begin(), file.begin() + 4),
              (std::vector<uint8_t>{0x7A, 0x7E, 0x03, 0x10}));
    EXPECT_EQ(std::count(file.begin() + 4, file.end(), 0), 0);
    // The black corner is sent as 0x01 0x01; the white picture centred at (56, 58) as 0xFFFF.
    EXPECT_EQ(file[4], 0x01);
    EXPECT_EQ(file[5], 0x01);
    const size_t centre = 4 + (60 * 122 + 60) * 2;
    EXPECT_EQ(file[centre], 0xFF);
    EXPECT_EQ(file[centre + 1], 0xFF);
    // The converter's text is only needed until it has been read.
    EXPECT_FALSE(std::filesystem::exists(work_.file("tmp.el")));
}

TEST_F(PictureConversion, EffectChangeRecapturesAndConversionUsesTheCurrentPicture) {
    PictureSelection selection(folders());
    ASSERT_TRUE(selection.show_picture(picture(Qt::red, 10, 10, "r.bmp")));
    selection.draw();
    const auto fitted = read_file(work_.file("tmp.bmp"));
    selection.set_effect(DisplayEffect::Stretch);
    EXPECT_FALSE(selection.captured());
    selection.draw();
    const auto stretched = read_file(work_.file("tmp.bmp"));
    EXPECT_NE(fitted, stretched);

    // A picture loaded but not yet drawn: the conversion draws it first and sends the blue
    // stretch, never the red capture of the picture before.
    ASSERT_TRUE(selection.show_picture(picture(Qt::blue, 10, 10, "b.bmp")));
    ASSERT_TRUE(selection.convert_selection(source_.file("out.dwn")).ok);
    const auto file = read_file(source_.file("out.dwn"));
    ASSERT_EQ(file.size(), kStandardFileBytes);
    EXPECT_EQ(file[4], 0x1F);  // blue 0x001F, low byte first, 0x00 sent as 0x01
    EXPECT_EQ(file[5], 0x01);
    EXPECT_NE(read_file(work_.file("tmp.bmp")), stretched);

    // A file that cannot be shown takes the capture with it: nothing is converted.
    write_file(source_.file("notapic.jpg"), {'t', 'e', 'x', 't'});
    EXPECT_FALSE(selection.show_picture(source_.file("notapic.jpg")));
    EXPECT_FALSE(std::filesystem::exists(work_.file("tmp.bmp")));
    std::filesystem::remove(source_.file("out.dwn"));
    EXPECT_FALSE(selection.convert_selection(source_.file("out.dwn")).ok);
    EXPECT_FALSE(std::filesystem::exists(source_.file("out.dwn")));
}

TEST_F(PictureConversion, FailuresAreReportedNotCrashed) {
    PictureSelection selection({source_.path().string(), work_.path().string()});
    write_file(source_.file("junk.gif"), {'G', 'I', 'F', '8', '9', 'a', 1});
    EXPECT_FALSE(selection.show_picture(source_.file("junk.gif")));
    EXPECT_FALSE(selection.last_error().empty());
    const QImage empty = selection.draw();
    EXPECT_EQ(empty.size(), QSize(kAreaWidth, kAreaHeight));
    EXPECT_EQ(empty.pixel(60, 60) & RGB_MASK, 0u);

    // No converter library in the folder named.
    ASSERT_TRUE(selection.show_picture(picture(Qt::red, 4, 4, "r.bmp")));
    selection.draw();
    const ConversionOutcome no_library = selection.convert_selection(source_.file("out.dwn"));
    EXPECT_FALSE(no_library.ok);
    EXPECT_NE(no_library.error.find("libpicmill.so"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(source_.file("out.dwn")));

    // Nothing selected in this run: a capture on disk (an earlier run's) is not converted.
    PictureSelection fresh(folders());
    ASSERT_TRUE(std::filesystem::exists(work_.file("tmp.bmp")));
    EXPECT_FALSE(fresh.convert_selection(source_.file("out.dwn")).ok);
    EXPECT_FALSE(std::filesystem::exists(source_.file("out.dwn")));
}

TEST_F(PictureConversion, CommandLineWritesFileAndPreviewWithExitStatuses) {
    write_file(source_.file("a.wmf"), red_wmf());
    const std::string out = source_.file("a.dwn");
    const std::string png = source_.file("a.png");
    const CliRun ok = run_convert_picture(work_, "'" + source_.file("a.wmf") + "' '" + out +
                                                     "' --effect stretch --preview '" + png + "'");
    ASSERT_EQ(ok.status, 0) << ok.err;
    EXPECT_EQ(read_file(out).size(), kStandardFileBytes);
    const QImage preview(QString::fromStdString(png));
    ASSERT_EQ(preview.size(), QSize(kAreaWidth, kAreaHeight));
    EXPECT_EQ(preview.pixel(61, 63) & RGB_MASK, 0xFF0008u);  // red as the handset gets it

    const CliRun missing =
        run_convert_picture(work_, "'" + source_.file("none.bmp") + "' '" + out + "'");
    // A missing input is bad usage: the reason, then the usage line.
    EXPECT_EQ(missing.status, 2);
    EXPECT_EQ(std::count(missing.err.begin(), missing.err.end(), '\n'), 2) << missing.err;
    EXPECT_EQ(run_convert_picture(work_, "a.bmp").status, 2);
    EXPECT_EQ(run_convert_picture(work_, "a.bmp b.dwn --effect tile").status, 2);
}

}  // namespace
