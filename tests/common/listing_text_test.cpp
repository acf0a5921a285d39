// The handset's listing as one format: what the emulator's side writes, the program's side reads
// back entry for entry, and the handset paths the program sends name the same folders.
#include "zemlo/listing_text.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "zemlo/handset_records.h"

namespace zemlo::listing {
namespace {

struct File {
    std::string name;
    uint64_t size = 0;
};

using Read = std::vector<std::pair<std::string, std::string>>;  // (folder, entry)

Read read_all(ListingReader &reader, std::string_view text) {
    Read out;
    reader.read(text, [&](std::string_view folder, std::string_view entry) {
        out.emplace_back(std::string(folder), std::string(entry));
    });
    return out;
}

TEST(ListingText, WhatTheHandsetWritesIsReadBackEntryForEntry) {
    std::string text;
    append_folder(text, records::kPictureFolder, std::vector<File>{{"a.bmp", 30748}, {"b.bmp", 0}});
    append_folder(text, records::kMelodyFolder, std::vector<File>{});
    EXPECT_EQ(text, "a:\\pcdlw\\pic\\a.bmp^30748;b.bmp^0;%a:\\pcdlw\\melody\\%");

    ListingReader reader;
    const std::string pic(folder_leaf(records::kPictureFolder));
    EXPECT_EQ(pic, "pic");
    EXPECT_EQ(read_all(reader, text), (Read{{pic, "a.bmp^30748"}, {pic, "b.bmp^0"}}));
    // The reader is left in the last folder named, and a later listing goes on in it.
    EXPECT_EQ(read_all(reader, " c.mid^5 ;"), (Read{{"melody", "c.mid^5"}}));
    // A token without its separator at the end is no entry.
    EXPECT_TRUE(read_all(reader, "d.mid^6").empty());
}

TEST(ListingText, EntryTextKeyAndPathAgree) {
    const std::string text = entry_text("abc.bmp", 1024);
    EXPECT_EQ(text, "abc.bmp^1024");
    EXPECT_EQ(text.rfind(entry_key("abc.bmp"), 0), 0u) << "an entry starts with its key";
    EXPECT_EQ(entry_name(text), "abc.bmp");
    EXPECT_EQ(entry_name("no-caret"), "no-caret");
    EXPECT_EQ(entry_size_after(text, text.find(kSizeMark)), 1024);
    EXPECT_EQ(entry_size_after("a^99999999999", 1), 0) << "too large counts as 0, not wrapped";
    EXPECT_EQ(entry_size_after("a^12x3", 1), 12);
    EXPECT_EQ(records::handset_path(records::kMelodyFolder, "t.mid"), "a:\\pcdlw\\melody\\t.mid");
}

}  // namespace
}  // namespace zemlo::listing
