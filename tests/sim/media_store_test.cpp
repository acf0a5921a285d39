// The store folder, its space bookkeeping, and the PC renderings of handset media.
#include "media_store.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>

#include "listing_builder.h"
#include "media_render.h"
#include "sample_media.h"
#include "sim_test_util.h"

namespace {

namespace rec = zemlo::records;
using handsim::Folder;
using handsim::MediaStore;

TEST(MediaRender, DecodesRgb565LowByteFirst) {
    // 3 x 1: pure red, pure green, and black as the handset file sends it; one spare byte behind.
    const std::vector<uint8_t> hand = {0x03, 0x01, 0x03, 0x10, 0x00, 0xF8,
                                       0xE0, 0x07, 0x01, 0x01, 0x00};
    const auto decoded = handsim::decode_handset_picture(hand.data(), hand.size());
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->rgb, (std::vector<uint8_t>{255, 0, 0, 0, 255, 0, 0, 32, 8}));
    std::vector<uint8_t> wrong_depth = hand;
    wrong_depth[3] = 0x18;
    EXPECT_FALSE(handsim::decode_handset_picture(wrong_depth.data(), wrong_depth.size()));

    const auto file = handsim::encode_handset_picture(2, 1, {255, 0, 0, 0, 0, 255});
    const auto image = handsim::decode_handset_picture(file.data(), file.size());
    ASSERT_TRUE(image);
    EXPECT_EQ(image->width, 2u);
    EXPECT_EQ(image->rgb[0], 255);
    EXPECT_EQ(image->rgb[5], 255);
    EXPECT_FALSE(handsim::decode_handset_picture(file.data(), file.size() - 1));
}

TEST(MediaRender, PngHasSignatureHeaderAndValidChunks) {
    const auto sample = handsim::sample_media()[0].bytes;
    ASSERT_EQ(sample.size(), 30748u);
    EXPECT_EQ(sample[0], 0x7A);
    EXPECT_EQ(sample[1], 0x7E);
    EXPECT_EQ(std::count(sample.begin(), sample.end(), 0), 0) << "no zero bytes are sent";
    const auto png =
        handsim::encode_png(*handsim::decode_handset_picture(sample.data(), sample.size()));
    ASSERT_TRUE(png);
    EXPECT_EQ(std::memcmp(png->data(), "\x89PNG\r\n\x1a\n", 8), 0);
    EXPECT_EQ(std::memcmp(png->data() + 12, "IHDR", 4), 0);
    EXPECT_EQ((*png)[19], 122);  // width, big-endian
    EXPECT_EQ((*png)[23], 126);
    EXPECT_EQ(std::memcmp(png->data() + png->size() - 8, "IEND", 4), 0);
}

TEST(MediaRender, MelodyBecomesFormatZeroMidi) {
    const auto melody = handsim::encode_handset_melody({60, 64});
    EXPECT_EQ(melody[0], 1);
    EXPECT_EQ(melody[1], 0);
    EXPECT_EQ(melody[2] | melody[3] << 8, static_cast<int>(melody.size() - 9));
    const auto midi = handsim::handset_melody_to_midi(melody.data(), melody.size());
    ASSERT_TRUE(midi);
    const uint8_t head[] = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 0, 96, 'M', 'T', 'r', 'k'};
    EXPECT_EQ(std::memcmp(midi->data(), head, sizeof head), 0);
    EXPECT_EQ(midi->size(), melody.size() + 6);
    // A track length running past the file is refused.
    auto broken = melody;
    broken[12] = 0x7F;
    EXPECT_FALSE(handsim::handset_melody_to_midi(broken.data(), broken.size()));
}

TEST(HandsetPath, AcceptsTheTwoFoldersAndSafeNamesOnly) {
    const auto p = handsim::parse_handset_path("A:\\PCDLW\\pic\\abc.bmp");
    ASSERT_TRUE(p);
    EXPECT_EQ(p->folder, Folder::Picture);
    EXPECT_EQ(p->name, "abc.bmp");
    EXPECT_EQ(handsim::parse_handset_path("a:\\pcdlw\\melody\\t.mid")->folder, Folder::Melody);
    for (const char *bad :
         {"abc.bmp", "a:\\pcdlw\\other\\a.bmp", "a:\\pcdlw\\pic\\", "a:\\pcdlw\\pic\\..",
          "a:\\pcdlw\\pic\\a/b", "a:\\pcdlw\\pic\\.hidden", "a:\\pcdlw\\pic\\a b"}) {
        EXPECT_FALSE(handsim::parse_handset_path(bad)) << bad;
    }
}

TEST(MediaStoreTest, CountsSpaceWithTheAllocationRuleAndLimits) {
    simtest::TempDir dir;
    MediaStore store(dir.path(), 92160 + 2048);  // room for 2048 bytes of allocation
    ASSERT_TRUE(store.open(nullptr));
    EXPECT_EQ(store.keep(Folder::Picture, "a.bmp", std::vector<uint8_t>(512, 1)),
              MediaStore::Status::Ok);  // 1024
    EXPECT_TRUE(store.has_room(Folder::Picture, "b.bmp", 1023));
    EXPECT_FALSE(store.has_room(Folder::Picture, "b.bmp", 1024));
    EXPECT_TRUE(store.has_room(Folder::Picture, "a.bmp", 2047)) << "replacing frees the old";
    EXPECT_EQ(store.keep(Folder::Picture, "b.bmp", std::vector<uint8_t>(1024, 1)),
              MediaStore::Status::NoRoom);
    const auto d = store.description();
    EXPECT_EQ(d.total_units, (92160u + 2048u) / 512u);
    EXPECT_EQ(d.free_units, d.total_units - 2);

    MediaStore big(dir.path() / "big");
    ASSERT_TRUE(big.open(nullptr));
    for (int i = 0; i < 10; ++i) {
        ASSERT_EQ(big.keep(Folder::Picture, "p" + std::to_string(i) + ".bmp", {1}),
                  MediaStore::Status::Ok);
    }
    EXPECT_EQ(big.keep(Folder::Picture, "p10.bmp", {1}), MediaStore::Status::TooManyFiles);
    EXPECT_EQ(big.keep(Folder::Picture, "p3.bmp", {1, 2}), MediaStore::Status::Ok);
}

TEST(MediaStoreTest, RenameDeleteAndFormatKeepRenderingsInStep) {
    simtest::TempDir dir;
    MediaStore store(dir.path());
    ASSERT_TRUE(store.open(nullptr));
    for (const auto &f : handsim::sample_media()) {
        ASSERT_EQ(store.keep(f.folder, f.name, f.bytes), MediaStore::Status::Ok);
    }
    // A stray file and a folder in pic/ are not handset files.
    std::ofstream(dir.path() / "pic" / ".partial") << "x";
    std::filesystem::create_directory(dir.path() / "pic" / "sub");
    EXPECT_EQ(store.list(Folder::Picture).size(), 2u);

    EXPECT_TRUE(std::filesystem::exists(dir.path() / "view/pic/rings.png"));
    EXPECT_EQ(store.rename(Folder::Picture, "rings.bmp", "circles.bmp"), MediaStore::Status::Ok);
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "view/pic/rings.png"));
    EXPECT_TRUE(std::filesystem::exists(dir.path() / "view/pic/circles.png"));
    EXPECT_EQ(store.rename(Folder::Picture, "circles.bmp", "sunrise.bmp"),
              MediaStore::Status::NameTaken);
    EXPECT_EQ(store.rename(Folder::Picture, "nothing.bmp", "x.bmp"),
              MediaStore::Status::NoSuchFile);
    EXPECT_EQ(store.remove(Folder::Melody, "bell.mid"), MediaStore::Status::Ok);
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "view/melody/bell.mid"));
    EXPECT_EQ(store.format(), MediaStore::Status::Ok);
    EXPECT_TRUE(store.list(Folder::Picture).empty());
    EXPECT_TRUE(store.list(Folder::Melody).empty());
    EXPECT_EQ(store.description().free_units, store.description().total_units);
}

TEST(ListingBuilder, SplitsTextAfterTheStorageBlock) {
    const std::string text(600, 'x');
    const auto packets = handsim::block_transfer({2, 0, 1024, 1000}, text);
    ASSERT_EQ(packets.size(), 5u);  // start, storage, 512 + 88 of text, end
    EXPECT_EQ(rec::handset_start_blocks(packets[0]), 3);
    EXPECT_EQ(packets[1].sequence, 1);
    EXPECT_EQ(packets[1].data[3], 0);
    EXPECT_EQ(packets[3].length, 88);
    uint32_t total = 0;
    for (size_t i = 1; i < 4; ++i) {
        total += packets[i].checksum;
    }
    EXPECT_EQ(rec::end_packet_total(packets[4]), total);
    EXPECT_EQ(handsim::listing_text({}, {}), "a:\\pcdlw\\pic\\%a:\\pcdlw\\melody\\%");
}

}  // namespace
