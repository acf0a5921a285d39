// The main program's pure rules: the listing grammar, the handset file table, the name rule, the PC
// file filter, the button rules and the wait window's progress protocol.
#include <gtest/gtest.h>

#include "batch_download.h"
#include "batch_ledger.h"
#include "batch_plan.h"
#include "block_receiver.h"
#include "connection_state.h"
#include "file_name_rule.h"
#include "handset_file_table.h"
#include "listing_parser.h"
#include "pc_file_filter.h"
#include "wait_window_model.h"

namespace zemlo::app {
namespace {

TEST(ListingParser, ReadsBothFoldersAndTrimsEntries) {
    ListingParser parser;
    auto entries = parser.parse(
        "a:\\pcdlw\\pic\\ a.bmp^100 ;b.bmp^1024;%a:\\pcdlw\\melody\\tune.mid^513;%trailing");
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0], (HandsetEntry{FileType::Picture, "a.bmp^100"}));
    EXPECT_EQ(entries[1], (HandsetEntry{FileType::Picture, "b.bmp^1024"}));
    EXPECT_EQ(entries[2], (HandsetEntry{FileType::Melody, "tune.mid^513"}));
}

TEST(ListingParser, SkipsOtherFoldersAndKeepsTheDirectoryAcrossListings) {
    ListingParser parser;
    EXPECT_TRUE(parser.parse("a:\\other\\x.bin^3;Pic\\y.bmp^1;").empty());
    EXPECT_EQ(parser.parse("melody\\").size(), 0u);
    // The next listing continues in the folder the previous one ended in.
    auto entries = parser.parse("z.mid^10;");
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].type, FileType::Melody);
}

// A block transfer packet as the handset sends it: kind, checksum, sequence, length, data.
std::vector<uint8_t> packet(uint16_t sequence, std::vector<uint8_t> data, uint16_t length) {
    std::vector<uint8_t> p(520, 0);
    p[0] = 1;
    p[4] = static_cast<uint8_t>(sequence);
    p[5] = static_cast<uint8_t>(sequence >> 8);
    p[6] = static_cast<uint8_t>(length);
    p[7] = static_cast<uint8_t>(length >> 8);
    std::copy(data.begin(), data.end(), p.begin() + 8);
    return p;
}

std::vector<uint8_t> storage_block(uint8_t mantissa, uint8_t exponent, uint32_t total,
                                   uint32_t free_units) {
    std::vector<uint8_t> b(512, 0);
    b[2] = mantissa;
    b[3] = exponent;
    for (int i = 0; i < 4; ++i) {
        b[4 + i] = static_cast<uint8_t>(total >> (24 - 8 * i));
        b[8 + i] = static_cast<uint8_t>(free_units >> (24 - 8 * i));
    }
    return b;
}

ListingResult transfer(const std::vector<uint8_t> &storage, const std::string &listing) {
    BlockReceiver rx;
    using O = BlockReceiver::Outcome;
    rx.expect();
    auto start = packet(0, {0x00, 0x00, 0x00, 0x02}, 512);
    EXPECT_EQ(rx.accept(start.data(), start.size()), O::Acknowledge);
    auto first = packet(1, storage, 512);
    EXPECT_EQ(rx.accept(first.data(), first.size()), O::Acknowledge);
    auto second = packet(2, std::vector<uint8_t>(listing.begin(), listing.end()),
                         static_cast<uint16_t>(listing.size()));
    EXPECT_EQ(rx.accept(second.data(), second.size()), O::Acknowledge);
    auto end = packet(0, {0xFF}, 512);
    EXPECT_EQ(rx.accept(end.data(), end.size()), O::Complete);
    return read_listing(rx.data());
}

TEST(BlockReceiver, AssemblesTheStorageDescriptionAndListing) {
    const std::string text = "a:\\pcdlw\\pic\\a.bmp^100;%";
    ListingResult r = transfer(storage_block(2, 0, 1024, 800), text);  // unit 2 << 8 = 512
    EXPECT_TRUE(r.accepted);
    EXPECT_EQ(r.capacity, 432128);
    EXPECT_EQ(r.free_space, 317440);
    EXPECT_EQ(r.text, text);
}

TEST(BlockReceiver, RejectsOutOfRangeStorageAndShortListings) {
    const std::string text = "a:\\pcdlw\\pic\\a.bmp^100;%";
    EXPECT_FALSE(transfer(storage_block(2, 0, 1025, 0), text).storage_ok);  // above 512 KiB
    EXPECT_FALSE(transfer(storage_block(0, 0, 1024, 0), text).storage_ok);  // unit size 0
    ListingResult short_text = transfer(storage_block(2, 0, 1024, 800), "pic\\a^1;");
    EXPECT_TRUE(short_text.storage_ok);
    EXPECT_FALSE(short_text.accepted);
}

TEST(BlockReceiver, BoundsEveryCountTheHandsetSends) {
    BlockReceiver rx;
    using O = BlockReceiver::Outcome;
    auto orphan = packet(1, {1, 2, 3}, 3);
    EXPECT_EQ(rx.accept(orphan.data(), orphan.size()), O::Ignored);  // no transfer yet
    auto huge = packet(0, {0x00, 0x00, 0xFF, 0xFF}, 512);
    rx.expect();
    EXPECT_EQ(rx.accept(huge.data(), huge.size()), O::Refused);
    EXPECT_FALSE(rx.receiving());
    auto start = packet(0, {0x00, 0x00, 0x00, 0x01}, 512);
    rx.expect();
    rx.accept(start.data(), start.size());
    // Out of range sequences and lengths are answered but not stored; the NUL stays inside.
    auto beyond = packet(5, {9}, 1);
    auto too_long = packet(1, {9}, 600);
    EXPECT_EQ(rx.accept(beyond.data(), beyond.size()), O::Acknowledge);
    EXPECT_EQ(rx.accept(too_long.data(), too_long.size()), O::Acknowledge);
    auto end = packet(0, {0xFF}, 512);
    EXPECT_EQ(rx.accept(end.data(), end.size()), O::Complete);
    EXPECT_EQ(rx.data().size(), 513u);
    EXPECT_EQ(rx.data()[0], 0);
    EXPECT_EQ(rx.accept(start.data(), 100), O::Ignored);  // a short body is not a packet
}

TEST(HandsetFileTable, RowsShowAllocationSizesForTheChosenFolder) {
    HandsetFileTable table;
    table.assign({{FileType::Picture, "a.bmp^100"},
                  {FileType::Melody, "m.mid^512"},
                  {FileType::Picture, "b.bmp^1024"},
                  {FileType::Picture, "c.bmp^junk"}});
    EXPECT_EQ(
        table.rows(FileType::Picture),
        (std::vector<HandsetRow>{{"a.bmp", "512", 0}, {"b.bmp", "1536", 2}, {"c.bmp", "512", 3}}));
    EXPECT_EQ(table.rows(FileType::Melody), (std::vector<HandsetRow>{{"m.mid", "1024", 1}}));
    EXPECT_EQ(table.count(FileType::Picture), 3);
}

TEST(HandsetFileTable, StoreReplacesTheFileOfTheSameNameAndGivesBackItsSpace) {
    HandsetFileTable table;
    table.assign({{FileType::Picture, "a.bmp^100"}, {FileType::Melody, "a.bmp^5000"}});
    int64_t free_space = 1000;
    EXPECT_EQ(table.find("a.bmp^", FileType::Melody), 1);
    EXPECT_EQ(table.find("A.bmp^", FileType::Picture), -1);  // case matters
    table.store({FileType::Picture, "a.bmp^30748"}, &free_space);
    EXPECT_EQ(free_space, 1512);
    EXPECT_EQ(table.at(0)->text, "a.bmp^30748");
    EXPECT_EQ(table.entries().size(), 2u);
    // A new name is appended, and takes nothing back.
    table.store({FileType::Melody, "b.mid^10"}, &free_space);
    EXPECT_EQ(free_space, 1512);
    EXPECT_EQ(table.find("b.mid^", FileType::Melody), 2);
}

TEST(HandsetFileTable, RoomCountsTheFileItReplaces) {
    HandsetFileTable table;
    table.assign({{FileType::Picture, "a.bmp^1000"}});
    EXPECT_FALSE(table.room("b.bmp^", FileType::Picture, 1024, 1024));  // needs 1536
    EXPECT_TRUE(table.room("a.bmp^", FileType::Picture, 1024, 1024));   // 1024 + 1024 freed
    EXPECT_TRUE(table.room("b.bmp^", FileType::Picture, 1023, 1024));
}

TEST(FileNameRule, CutsLongNamesAndRemovesOffendingCharacters) {
    EXPECT_TRUE(check_file_name("").valid);
    EXPECT_TRUE(check_file_name("abc12345").valid);
    NameCheck too_long = check_file_name("abcdefghi");
    EXPECT_FALSE(too_long.valid);
    EXPECT_EQ(too_long.corrected, "abcdefgh");
    // The rule itself under the problem, so that the user need not guess it.
    EXPECT_EQ(too_long.message, "文件名太长!\n手机的文件名最多8个字符，只能用英文字母和数字");
    NameCheck bad = check_file_name("a_b_c1");
    EXPECT_EQ(bad.corrected, "abc1");
    EXPECT_EQ(bad.message,
              "请输入字母和数字组成的文件名!\n手机的文件名最多8个字符，只能用英文字母和数字");
    // Characters, not bytes: a cut or a removal never leaves half a character.
    EXPECT_EQ(check_file_name("铃声铃声铃声铃声铃").corrected, "铃声铃声铃声铃声");
    EXPECT_EQ(check_file_name("a铃b铃").corrected, "ab");
}

TEST(BatchPlan, NamesFromTheFilesOwnAndClashesOfOneFolder) {
    // Every correction the name box would make, applied until the name passes.
    EXPECT_EQ(name_from_file("holiday-photo_2024"), "holiday");
    EXPECT_EQ(name_from_file("a b.c"), "abc");
    EXPECT_EQ(name_from_file("__--"), "");
    EXPECT_EQ(name_from_file("\xe7\x85\xa7\xe7\x89\x87x"), "x");

    // Case does not tell names apart on the handset; another folder does.
    EXPECT_EQ(first_clash({{FileType::Picture, "a"},
                           {FileType::Melody, "b"},
                           {FileType::Melody, "C"},
                           {FileType::Picture, "B"},
                           {FileType::Melody, "c"}}),
              (std::pair<size_t, size_t>{2, 4}));
    EXPECT_FALSE(first_clash({{FileType::Picture, "same"}, {FileType::Melody, "same"}}));
    EXPECT_FALSE(first_clash({}));

    // What stops the files left: whatever would meet them too.
    EXPECT_TRUE(only_this_file(MessageId::ConvertPictureFailed));
    EXPECT_TRUE(only_this_file(MessageId::FileInUse));
    EXPECT_FALSE(only_this_file(MessageId::TooManyFiles));
    EXPECT_FALSE(only_this_file(MessageId::NoSpace));
    EXPECT_FALSE(only_this_file(MessageId::PacketFailed));
    EXPECT_FALSE(only_this_file(MessageId::None));
}

// A batch stopped from outside: each file's line says what is known of it, the summary is made
// once, and what the stopped worker still had queued for the window changes nothing after it.
TEST(BatchLedger, StoppedFromOutsideSaysWhatIsKnownOnce) {
    BatchRequest request;
    for (const char *name : {"a", "b", "c", "d"}) {
        request.files.push_back({FileType::Picture, std::string("/p/") + name + ".jpg", name, {}});
    }
    BatchLedger ledger;
    EXPECT_FALSE(ledger.open());
    ledger.begin(request);
    ledger.started(0);
    ledger.ended(0, "kept", true);
    ledger.started(1);
    ledger.ended(1, "refused", false);
    ledger.started(2);
    ledger.stop("call", false);
    const std::string head = "4个文件中有1个下载成功：\n";
    const std::string first_two = "/p/a.jpg → a.bmp：kept\n/p/b.jpg → b.bmp：refused\n";
    EXPECT_EQ(render(ledger.close()),
              head + first_two + "/p/c.jpg → c.bmp：未下载完\n/p/d.jpg → d.bmp：未发送：call");
    EXPECT_FALSE(ledger.open());
    ledger.ended(3, "late", true);
    EXPECT_FALSE(ledger.open());

    // The handset may have kept the file under way: unknown, not unfinished.
    ledger.begin(request);
    ledger.started(0);
    ledger.stop("call", true);
    EXPECT_EQ(render(ledger.close()),
              "4个文件中有0个下载成功：\n/p/a.jpg → a.bmp：" + render(MessageId::ResultUnknown) +
                  "\n/p/b.jpg → b.bmp：未发送：call\n/p/c.jpg → c.bmp：未发送：call\n"
                  "/p/d.jpg → d.bmp：未发送：call");
}

TEST(PcFileFilter, OffersFilesByTheirExtension) {
    EXPECT_TRUE(is_listed_for_type("a.BMP", FileType::Picture));
    EXPECT_TRUE(is_listed_for_type("b.Gif", FileType::Picture));
    EXPECT_FALSE(is_listed_for_type("c.txt", FileType::Picture));
    EXPECT_TRUE(is_listed_for_type("d.mid", FileType::Melody));
    EXPECT_TRUE(is_listed_for_type("e.midi", FileType::Melody));
    EXPECT_FALSE(is_listed_for_type("d.mid", FileType::Picture));
    EXPECT_TRUE(is_listed_for_type("bmp", FileType::Picture));
    EXPECT_TRUE(is_listed_for_type("holiday.2024.jpg", FileType::Picture));
    EXPECT_FALSE(is_listed_for_type(".hidden.bmp", FileType::Picture));
}

TEST(ConnectionState, ButtonsFollowEnableAndConnected) {
    EXPECT_EQ(button_states(false, false), (ButtonStates{false, false, false, false, false}));
    EXPECT_EQ(button_states(false, true), (ButtonStates{true, false, false, false, false}));
    EXPECT_EQ(button_states(true, true), (ButtonStates{true, true, true, true, true}));
    EXPECT_EQ(connection_text(3, false), "   COM3未连接");
    EXPECT_EQ(connection_text(11, true), "   COM11已连接");
}

TEST(WaitWindowModel, StepsTheBarFromTheFirstRangeAndHidesOnTheEnd) {
    WaitWindowModel w;
    EXPECT_EQ(w.report("连接中...", 0, 2, false), WaitWindowModel::Box::None);
    EXPECT_EQ(w.view(), (WaitWindowView{true, true, "连接中...", 2, 1}));
    w.report("读取数据...", 0, 0, false);
    EXPECT_EQ(w.view().progress, 2);
    EXPECT_EQ(w.report("连接手机失败", 2, 0, false), WaitWindowModel::Box::Error);
    EXPECT_EQ(w.view(), (WaitWindowView{false, false, "连接手机失败", 2, 0}));
    // A report without a range animates but leaves the bar empty.
    WaitWindowModel fresh;
    fresh.report("格式化...", 0, 0, false);
    EXPECT_TRUE(fresh.view().visible);
    EXPECT_EQ(fresh.view().progress, 0);
}

TEST(WaitWindowModel, IgnoresReportsWhileCancelled) {
    WaitWindowModel w;
    w.report("正在发送第1个数据包...", 0, 8, false);
    w.cancel();
    EXPECT_EQ(w.report("发送第2个数据包错误", 2, 0, true), WaitWindowModel::Box::None);
    EXPECT_FALSE(w.view().visible);
    EXPECT_EQ(w.report("格式化成功", 3, 0, false), WaitWindowModel::Box::Information);
}

}  // namespace
}  // namespace zemlo::app
