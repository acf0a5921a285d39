#include "handset_file_table.h"

#include "zemlo/handset_records.h"
#include "zemlo/listing_text.h"

namespace zemlo::app {

namespace {

// The size after the last caret: the part a listing or a download wrote.
int64_t size_part(const std::string &text) {
    return listing::entry_size_after(text, text.rfind(listing::kSizeMark));
}

int64_t alloc(int64_t n) {
    return static_cast<int64_t>(records::allocation_size(static_cast<uint64_t>(n < 0 ? 0 : n)));
}

}  // namespace

bool HandsetFileTable::remove(int32_t index) {
    if (index < 0 || static_cast<size_t>(index) >= entries_.size()) {
        return false;
    }
    entries_.erase(entries_.begin() + index);
    return true;
}

bool HandsetFileTable::set_text(int32_t index, std::string text) {
    if (index < 0 || static_cast<size_t>(index) >= entries_.size()) {
        return false;
    }
    entries_[static_cast<size_t>(index)].text = std::move(text);
    return true;
}

const HandsetEntry *HandsetFileTable::at(int32_t index) const {
    if (index < 0 || static_cast<size_t>(index) >= entries_.size()) {
        return nullptr;
    }
    return &entries_[static_cast<size_t>(index)];
}

int32_t HandsetFileTable::count(FileType type) const {
    int32_t n = 0;
    for (const auto &e : entries_) {
        n += e.type == type ? 1 : 0;
    }
    return n;
}

int32_t HandsetFileTable::find(const std::string &text, FileType type) const {
    const std::string_view name = listing::entry_name(text);
    for (size_t i = 0; i < entries_.size(); ++i) {
        if (entries_[i].type == type && listing::entry_name(entries_[i].text) == name) {
            return static_cast<int32_t>(i);
        }
    }
    return -1;
}

void HandsetFileTable::store(HandsetEntry entry, int64_t *free_space) {
    const int32_t index = find(entry.text, entry.type);
    if (index == -1) {
        entries_.push_back(std::move(entry));
        return;
    }
    HandsetEntry &e = entries_[static_cast<size_t>(index)];
    if (free_space != nullptr) {
        *free_space += alloc(size_part(e.text));
    }
    e.text = std::move(entry.text);
}

int64_t HandsetFileTable::available(const std::string &text, FileType type,
                                    int64_t free_space) const {
    int64_t available = free_space;
    const std::string_view name = listing::entry_name(text);
    for (const auto &e : entries_) {
        if (e.type == type && listing::entry_name(e.text) == name) {
            available += alloc(size_part(e.text));
            break;
        }
    }
    return available;
}

bool HandsetFileTable::room(const std::string &text, FileType type, int64_t n,
                            int64_t free_space) const {
    return alloc(n) <= available(text, type, free_space);
}

std::vector<HandsetRow> HandsetFileTable::rows(FileType type) const {
    std::vector<HandsetRow> out;
    for (size_t i = 0; i < entries_.size(); ++i) {
        const HandsetEntry &e = entries_[i];
        if (e.type != type) {
            continue;
        }
        const int64_t n = listing::entry_size_after(e.text, e.text.find(listing::kSizeMark));
        out.push_back({std::string(listing::entry_name(e.text)), std::to_string(alloc(n)),
                       static_cast<int32_t>(i)});
    }
    return out;
}

}  // namespace zemlo::app
