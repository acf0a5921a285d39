// The handset's files as last listed, with the queries the download, rename and delete operations
// use, and the free-space bookkeeping that goes with them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "handset_entry.h"

namespace zemlo::app {

// A row of the handset file list: the name, the allocation size shown in the size column, and the
// index of its entry in the table.
struct HandsetRow {
    std::string name;
    std::string size;
    int32_t entry_index = -1;

    bool operator==(const HandsetRow &) const = default;
};

class HandsetFileTable {
  public:
    void clear() { entries_.clear(); }
    void assign(std::vector<HandsetEntry> entries) { entries_ = std::move(entries); }
    void append(HandsetEntry entry) { entries_.push_back(std::move(entry)); }
    bool remove(int32_t index);
    bool set_text(int32_t index, std::string text);

    const std::vector<HandsetEntry> &entries() const { return entries_; }
    const HandsetEntry *at(int32_t index) const;

    int32_t count(FileType type) const;

    // The first entry of that type whose name part equals the name part of text, or -1.
    int32_t find(const std::string &text, FileType type) const;
    // Enters a file the handset kept: an entry of the same name and type first returns its old
    // allocation to *free_space and takes the new entry's text; otherwise the entry is appended.
    void store(HandsetEntry entry, int64_t *free_space);

    // Whether a file of n bytes fits: the free space plus the allocation of the entry of the same
    // name and type that it would replace.
    bool room(const std::string &text, FileType type, int64_t n, int64_t free_space) const;
    // The bytes a file of this name and type may take: the free space plus the allocation of the
    // entry it would replace.
    int64_t available(const std::string &text, FileType type, int64_t free_space) const;

    // The rows of the handset list for a folder type, in table order.
    std::vector<HandsetRow> rows(FileType type) const;

  private:
    std::vector<HandsetEntry> entries_;
};

}  // namespace zemlo::app
