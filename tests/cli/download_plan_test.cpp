// What a dry run works out from the handset's table: each file counted for the next, the
// download's refusals in its order.
#include "download_plan.h"

#include <gtest/gtest.h>

#include "zemlo/handset_records.h"
#include "zemlo/listing_text.h"

namespace zemlo::cli {
namespace {

using app::FileType;
using app::MessageId;

int64_t alloc(int64_t n) {
    return static_cast<int64_t>(records::allocation_size(static_cast<uint64_t>(n)));
}

app::HandsetFileTable table_of(FileType type, const std::vector<std::pair<std::string, int>> &f) {
    app::HandsetFileTable table;
    for (const auto &[name, size] : f) {
        table.append({type, listing::entry_text(name, static_cast<uint64_t>(size))});
    }
    return table;
}

TEST(DownloadPlan, RoomCountsTheReplacedFileAndEveryArrivalBefore) {
    // 40000 free: the first fits, the second only thanks to the file it replaces, the third
    // finds no room left, and what comes after a refusal is still worked out on the same table.
    const auto table = table_of(FileType::Picture, {{"old.bmp", 30000}});
    const int64_t free = 40000;
    const auto steps = plan_downloads(table, free,
                                      {{FileType::Picture, "a.bmp", 30748},
                                       {FileType::Picture, "old.bmp", 30748},
                                       {FileType::Picture, "b.bmp", 30748},
                                       {FileType::Melody, "m.mid", 100}});
    ASSERT_EQ(steps.size(), 4u);
    EXPECT_FALSE(steps[0].refusal);
    EXPECT_EQ(steps[0].free_after, free - alloc(30748));
    EXPECT_FALSE(steps[1].refusal);
    EXPECT_TRUE(steps[1].replaces);
    EXPECT_EQ(steps[1].available, free - alloc(30748) + alloc(30000));
    EXPECT_EQ(steps[1].free_after, free - 2 * alloc(30748) + alloc(30000));
    EXPECT_EQ(steps[2].refusal, MessageId::NoSpace);
    EXPECT_EQ(steps[2].takes, alloc(30748));
    EXPECT_EQ(steps[2].available, steps[1].free_after);
    EXPECT_EQ(steps[2].free_after, steps[1].free_after);
    EXPECT_FALSE(steps[3].refusal);
}

TEST(DownloadPlan, TheFolderLimitAndTheSizeLimitsAsTheDownloadChecksThem) {
    std::vector<std::pair<std::string, int>> twenty;
    for (int i = 0; i < 20; ++i) {
        twenty.push_back({"m" + std::to_string(i) + ".mid", 100});
    }
    const auto steps = plan_downloads(
        table_of(FileType::Melody, twenty), 1 << 20,
        {{FileType::Melody, "new.mid", 100},
         {FileType::Melody, "m3.mid", 100},  // a replacement needs no new place
         {FileType::Melody, "m4.mid", static_cast<int64_t>(records::kMaxMelodyBytes) + 1},
         {FileType::Picture, "big.bmp", 65536}});
    EXPECT_EQ(steps[0].refusal, MessageId::TooManyFiles);
    EXPECT_FALSE(steps[1].refusal);
    EXPECT_TRUE(steps[1].replaces);
    EXPECT_EQ(steps[2].refusal, MessageId::MelodyTooLarge);
    EXPECT_EQ(steps[3].refusal, MessageId::FileTooLarge);
}

}  // namespace
}  // namespace zemlo::cli
