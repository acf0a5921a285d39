// What a picture may cost before it is decoded: a metafile is read only up to its size limit,
// and a raster header stating a huge size is refused before any pixels are allocated.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <string>

#include "metafile_structure.h"
#include "metafile_svg.h"
#include "picture_decoder.h"
#include "picture_samples.h"
#include "picture_test_support.h"

namespace {

using namespace zemlo::media;
using namespace zemlo::testing;

constexpr auto kQuick = std::chrono::milliseconds(500);

// A metafile followed by zeros up to total bytes; sparse, so the test costs no disk.
std::string padded(const TempFolder &dir, const std::string &name, const Bytes &metafile,
                   qint64 total) {
    const std::string path = dir.file(name);
    write_file(path, metafile);
    EXPECT_EQ(::truncate(path.c_str(), static_cast<off_t>(total)), 0);
    return path;
}

TEST(PictureBounds, MetafilesUpToTheLimitAreReadAndLargerOnesRefused) {
    TempFolder dir;
    for (const auto &[kind, bytes] : {std::pair{"emf", red_emf()}, {"wmf", red_wmf()}}) {
        const std::string at = std::string("at.") + kind;
        const std::string over = std::string("over.") + kind;
        const DecodeResult ok = decode_picture(padded(dir, at, bytes, kMaxMetafileBytes));
        EXPECT_TRUE(ok.picture) << kind << ": " << ok.error;

        const auto start = std::chrono::steady_clock::now();
        const DecodeResult refused =
            decode_picture(padded(dir, over, bytes, kMaxMetafileBytes + 1));
        EXPECT_LT(std::chrono::steady_clock::now() - start, kQuick) << kind;
        EXPECT_FALSE(refused.picture) << kind;
        EXPECT_EQ(refused.error, "metafile too large: 67108865 bytes (at most 67108864)") << kind;
    }
}

// The same GIF with another logical screen size: Qt decodes every frame into the screen.
Bytes gif_with_screen(uint16_t width, uint16_t height) {
    Bytes gif = two_frame_gif();
    zemlo::write_le16(gif.data() + 6, width);
    zemlo::write_le16(gif.data() + 8, height);
    return gif;
}

// A BMP header stating a size, with hardly any pixels behind it.
Bytes bmp_of(int32_t width, int32_t height) {
    Bytes b = {'B', 'M'};
    put32(b, {70, 0, 54, 40, static_cast<uint32_t>(width), static_cast<uint32_t>(height)});
    put16(b, {1, 24});
    put32(b, {0, 16, 3780, 3780, 0, 0, 0, 0, 0, 0});
    return b;
}

TEST(PictureBounds, HugeStatedSizesAreRefusedBeforeDecoding) {
    const std::pair<const char *, Bytes> too_large[] = {
        {"65535 x 65535 GIF screen", gif_with_screen(65535, 65535)},
        {"GIF screen one pixel past the limit", gif_with_screen(4097, 4096)},
        {"BMP wider than the side limit", bmp_of(kMaxPictureSide + 1, 1)},
        {"BMP of 8192 x 8192", bmp_of(8192, 8192)},
    };
    for (const auto &[what, bytes] : too_large) {
        const auto start = std::chrono::steady_clock::now();
        const DecodeResult r = decode_picture_bytes(QByteArray(
            reinterpret_cast<const char *>(bytes.data()), static_cast<qsizetype>(bytes.size())));
        EXPECT_LT(std::chrono::steady_clock::now() - start, kQuick) << what;
        EXPECT_FALSE(r.picture) << what;
        EXPECT_EQ(r.error.rfind("picture too large: ", 0), 0u) << what << ": " << r.error;
    }
    // Within the bounds a short file still decodes (the missing pixels stay blank).
    const Bytes within = bmp_of(1024, 1024);
    const DecodeResult r = decode_picture_bytes(QByteArray(
        reinterpret_cast<const char *>(within.data()), static_cast<qsizetype>(within.size())));
    EXPECT_TRUE(r.picture) << r.error;
}

// An 8-bit BMP of 2 x 1 with one palette colour (white) and pixels using indices 0 and 200.
Bytes bmp_with_short_palette() {
    Bytes b = {'B', 'M'};
    put32(b, {62, 0, 58, 40, 2, 1});
    put16(b, {1, 8});
    put32(b, {0, 4, 3780, 3780, 1, 0, 0x00FFFFFF});
    b.insert(b.end(), {0, 200, 0, 0});
    return b;
}

QByteArray bytes_of(const Bytes &b) {
    return QByteArray(reinterpret_cast<const char *>(b.data()), static_cast<qsizetype>(b.size()));
}

// The red WMF with a 2 x 2 24-bit bitmap stretched over it, its header stating the given size
// and palette.
Bytes wmf_with_bitmap(int32_t width, int32_t height, uint32_t colours) {
    Bytes b = red_wmf();
    constexpr size_t kEndRecordBytes = 6;
    b.erase(b.end() - kEndRecordBytes, b.end());  // the end record goes last again
    put32(b, {41});
    put16(b, {0x0B41});
    put32(b, {0x00CC0020});
    put16(b, {2, 2, 0, 0, 500, 1000, 0, 0});
    put32(b, {40, static_cast<uint32_t>(width), static_cast<uint32_t>(height)});
    put16(b, {1, 24});
    put32(b, {0, 16, 0, 0, colours, 0});
    b.insert(b.end(), 16, 0x80);
    put32(b, {3});
    put16(b, {0});
    return b;
}

TEST(MetafileStructure, SoundFilesPassAndDamagedOnesAreRefusedBeforeTheLibraries) {
    QByteArray emf = bytes_of(red_emf());
    zemlo::write_le32(reinterpret_cast<uint8_t *>(emf.data()) + 60, 5);    // description length
    zemlo::write_le32(reinterpret_cast<uint8_t *>(emf.data()) + 64, 900);  // past the header
    emf.append(4, '\0');  // trailing bytes after the end record are cut
    EXPECT_EQ(check_emf_structure(emf), "");
    EXPECT_EQ(emf.size(), static_cast<qsizetype>(red_emf().size()));
    EXPECT_EQ(zemlo::read_le32(reinterpret_cast<const uint8_t *>(emf.constData()) + 64), 0u);

    QByteArray long_record = bytes_of(red_emf());
    zemlo::write_le32(reinterpret_cast<uint8_t *>(long_record.data()) + 88 + 4, 4000);
    EXPECT_EQ(check_emf_structure(long_record), "metafile record out of range");
    QByteArray no_end = bytes_of(red_emf());
    no_end.chop(20);
    EXPECT_EQ(check_emf_structure(no_end), "metafile has no end record");

    // The reader allocates the header's largest record up front; it is set from the records.
    QByteArray wmf = bytes_of(wmf_with_bitmap(2, -2, 0));
    zemlo::write_le32(reinterpret_cast<uint8_t *>(wmf.data()) + 22 + 12, 0x7FFFFFFF);
    EXPECT_EQ(check_wmf_structure(wmf), "");
    EXPECT_EQ(zemlo::read_le32(reinterpret_cast<const uint8_t *>(wmf.constData()) + 22 + 12), 41u);
    EXPECT_TRUE(decode_picture_bytes(wmf).picture);

    for (const auto &[what, bad] :
         {std::pair{"65535 x 65535 pixels", wmf_with_bitmap(65535, 65535, 0)},
          {"a palette of a billion colours", wmf_with_bitmap(2, 2, 1u << 30)},
          {"no width", wmf_with_bitmap(0, 2, 0)}}) {
        QByteArray bytes = bytes_of(bad);
        EXPECT_EQ(check_wmf_structure(bytes), "metafile bitmap out of range") << what;
    }
}

// The red EMF with a description ("Paint", "Red") at byte `at` of a header that ends with it.
// From 100 on, the header has the pixel format fields before the description (given values), from
// 108 on also the reference size in micrometres.
Bytes emf_with_description(uint32_t at, uint32_t format_bytes = 0, uint32_t format_at = 0) {
    const Bytes red = red_emf();
    const std::u16string text(u"Paint\0Red\0\0", 11);
    Bytes header(red.begin(), red.begin() + 88);
    put32(header, {format_bytes, format_at, 0});
    put32(header, {320000, 240000});
    header.resize(at);
    for (char16_t c : text) {
        put16(header, {static_cast<uint16_t>(c)});
    }
    header.resize((header.size() + 3) / 4 * 4);
    auto *p = header.data();
    zemlo::write_le32(p + 4, static_cast<uint32_t>(header.size()));
    zemlo::write_le32(p + 48, static_cast<uint32_t>(header.size() + red.size() - 88));
    zemlo::write_le32(p + 60, static_cast<uint32_t>(text.size()));
    zemlo::write_le32(p + 64, at);
    header.insert(header.end(), red.begin() + 88, red.end());
    return header;
}

TEST(MetafileStructure, OptionalHeaderFieldsAreReadOnlyWhereTheDescriptionLeavesRoomForThem) {
    // A description at 88 or 100 occupies the optional fields' place: its text ("Pa" reads as an
    // offset of 5 million) is not a pixel format, and the converter is not shown it as one.
    for (uint32_t at : {88u, 100u}) {
        QByteArray emf = bytes_of(emf_with_description(at));
        ASSERT_EQ(check_emf_structure(emf), "") << "description at " << at;
        const auto *p = reinterpret_cast<const uint8_t *>(emf.constData());
        EXPECT_EQ(zemlo::read_le32(p + 88), 0u) << at;  // no pixel format
        EXPECT_EQ(zemlo::read_le32(p + 92), 0u) << at;
        EXPECT_EQ(zemlo::read_le32(p + 100), 320000u) << at;  // 320 mm wide
        EXPECT_EQ(zemlo::read_le32(p + 104), 240000u) << at;
        const DecodeResult r = decode_picture_bytes(bytes_of(emf_with_description(at)));
        EXPECT_TRUE(r.picture) << "description at " << at << ": " << r.error;
    }

    // Where the header holds the fields, a pixel format outside the header is still refused:
    // with the description after them, and with no description at all.
    QByteArray after = bytes_of(emf_with_description(108, 40, 0x00610050));
    EXPECT_EQ(check_emf_structure(after), "metafile pixel format out of range");
    Bytes undescribed = emf_with_description(108, 40, 4000);
    zemlo::write_le32(undescribed.data() + 60, 0);
    QByteArray none = bytes_of(undescribed);
    EXPECT_EQ(check_emf_structure(none), "metafile pixel format out of range");
    // A header too short for the fields has none, whatever its description says.
    QByteArray short_header = bytes_of(red_emf());
    EXPECT_EQ(check_emf_structure(short_header), "");
}

TEST(MetafileSvg, WmfReaderWithoutItsFontsNamesThePackageToInstall) {
    TempFolder empty;
    for (const std::string &folder : {empty.path().string(), empty.file("absent")}) {
        const std::string problem = wmf_font_problem(folder);
        EXPECT_NE(problem.find("fonts are missing"), std::string::npos) << problem;
        EXPECT_NE(problem.find("fonts-urw-base35"), std::string::npos) << problem;
    }
    // On this machine: a WMF is read when the fonts are there, and otherwise the reader's
    // failure is explained by them rather than blamed on the file.
    const MetafileSvg svg = wmf_to_svg(bytes_of(red_wmf()));
    if (wmf_font_problem().empty()) {
        EXPECT_EQ(svg.error, "");
    } else {
        EXPECT_EQ(svg.error, wmf_font_problem());
    }
}

TEST(PictureBounds, PaletteIndicesPastTheStoredColoursDrawBlack) {
    const Bytes bmp = bmp_with_short_palette();
    const DecodeResult r = decode_picture_bytes(
        QByteArray(reinterpret_cast<const char *>(bmp.data()), static_cast<qsizetype>(bmp.size())));
    ASSERT_TRUE(r.picture) << r.error;
    const QImage &image = r.picture->image();
    if (image.format() == QImage::Format_Indexed8) {
        EXPECT_EQ(image.colorCount(), 256);  // the painter looks indices up unchecked
    }
    EXPECT_EQ(image.pixel(0, 0) & RGB_MASK, 0xFFFFFFu);
    EXPECT_EQ(image.pixel(1, 0) & RGB_MASK, 0u);
}

}  // namespace
