// The main program's pure rules: the listing grammar, the handset file table, the name rule, the PC
// file filter, the button rules and the wait window's progress protocol.
#include <gtest/gtest.h>

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
    EXPECT_EQ(entries[0], (HandsetEntry{kTypePicture, "a.bmp^100"}));
    EXPECT_EQ(entries[1], (HandsetEntry{kTypePicture, "b.bmp^1024"}));
    EXPECT_EQ(entries[2], (HandsetEntry{kTypeMelody, "tune.mid^513"}));
}

TEST(ListingParser, SkipsOtherFoldersAndKeepsTheDirectoryAcrossListings) {
    ListingParser parser;
    EXPECT_TRUE(parser.parse("a:\\other\\x.bin^3;Pic\\y.bmp^1;").empty());
    EXPECT_EQ(parser.parse("melody\\").size(), 0u);
    // The next listing continues in the folder the previous one ended in.
    auto entries = parser.parse("z.mid^10;");
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].type, kTypeMelody);
}

TEST(HandsetFileTable, RowsShowAllocationSizesForTheChosenFolder) {
    HandsetFileTable table;
    table.assign({{kTypePicture, "a.bmp^100"},
                  {kTypeMelody, "m.mid^512"},
                  {kTypePicture, "b.bmp^1024"},
                  {kTypePicture, "c.bmp^junk"}});
    EXPECT_EQ(
        table.rows(kTypePicture),
        (std::vector<HandsetRow>{{"a.bmp", "512", 0}, {"b.bmp", "1536", 2}, {"c.bmp", "512", 3}}));
    EXPECT_EQ(table.rows(kTypeMelody), (std::vector<HandsetRow>{{"m.mid", "1024", 1}}));
    EXPECT_EQ(table.count(kTypePicture), 3);
}

TEST(HandsetFileTable, FindUpdatesTheEntryAndReturnsItsSpace) {
    HandsetFileTable table;
    table.assign({{kTypePicture, "a.bmp^100"}, {kTypeMelody, "a.bmp^5000"}});
    int64_t free_space = 1000;
    EXPECT_EQ(table.find("a.bmp^", kTypeMelody, false, &free_space), 1);
    EXPECT_EQ(table.find("A.bmp^", kTypePicture, false, &free_space), -1);  // case matters
    EXPECT_EQ(table.find("a.bmp^30748", kTypePicture, true, &free_space), 0);
    EXPECT_EQ(free_space, 1512);
    EXPECT_EQ(table.at(0)->text, "a.bmp^30748");
}

TEST(HandsetFileTable, RoomCountsTheFileItReplaces) {
    HandsetFileTable table;
    table.assign({{kTypePicture, "a.bmp^1000"}});
    EXPECT_FALSE(table.room("b.bmp^", kTypePicture, 1024, 1024));  // needs 1536
    EXPECT_TRUE(table.room("a.bmp^", kTypePicture, 1024, 1024));   // 1024 + 1024 freed
    EXPECT_TRUE(table.room("b.bmp^", kTypePicture, 1023, 1024));
}

TEST(FileNameRule, CutsLongNamesAndRemovesOffendingCharacters) {
    EXPECT_TRUE(check_file_name("").valid);
    EXPECT_TRUE(check_file_name("abc12345").valid);
    NameCheck too_long = check_file_name("abcdefghi");
    EXPECT_FALSE(too_long.valid);
    EXPECT_EQ(too_long.corrected, "abcdefgh");
    EXPECT_EQ(too_long.message, "文件名太长!");
    NameCheck bad = check_file_name("a_b_c1");
    EXPECT_EQ(bad.corrected, "abc1");
    EXPECT_EQ(bad.message, "请输入字母和数字组成的文件名!");
    // Characters, not bytes: a cut or a removal never leaves half a character.
    EXPECT_EQ(check_file_name("铃声铃声铃声铃声铃").corrected, "铃声铃声铃声铃声");
    EXPECT_EQ(check_file_name("a铃b铃").corrected, "ab");
}

TEST(PcFileFilter, OffersFilesByTheirExtension) {
    EXPECT_TRUE(is_listed_for_type("a.BMP", kTypePicture));
    EXPECT_TRUE(is_listed_for_type("b.Gif", kTypePicture));
    EXPECT_FALSE(is_listed_for_type("c.txt", kTypePicture));
    EXPECT_TRUE(is_listed_for_type("d.mid", kTypeMelody));
    EXPECT_TRUE(is_listed_for_type("e.midi", kTypeMelody));
    EXPECT_FALSE(is_listed_for_type("d.mid", kTypePicture));
    EXPECT_TRUE(is_listed_for_type("bmp", kTypePicture));
    EXPECT_TRUE(is_listed_for_type("holiday.2024.jpg", kTypePicture));
    EXPECT_FALSE(is_listed_for_type(".hidden.bmp", kTypePicture));
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
