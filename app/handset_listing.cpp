#include "handset_listing.h"

#include "zemlo/handset_records.h"
#include "zemlo/listing_text.h"

namespace zemlo::app {

void HandsetListing::show_folder(FileType type) {
    shown_ = type;
    rows_.clear();
    window_.show_handset_rows(rows_);
    refill();
}

int32_t HandsetListing::row_named(const std::string &name) const {
    for (size_t i = 0; i < rows_.size(); ++i) {
        if (rows_[i].name == name) {
            return static_cast<int32_t>(i);
        }
    }
    return -1;
}

bool HandsetListing::select_row(int32_t row) {
    if (row < 0 || static_cast<size_t>(row) >= rows_.size()) {
        return false;
    }
    selected_row_ = row;
    selected_entry_ = rows_[static_cast<size_t>(row)].entry_index;
    return true;
}

std::string HandsetListing::selected_name() const {
    if (selected_row_ < 0 || static_cast<size_t>(selected_row_) >= rows_.size()) {
        return {};
    }
    return rows_[static_cast<size_t>(selected_row_)].name;
}

void HandsetListing::set_row_text(int32_t row, const std::string &text) {
    if (row >= 0 && static_cast<size_t>(row) < rows_.size()) {
        rows_[static_cast<size_t>(row)].name = text;
        window_.set_handset_row_text(row, text);
    }
}

void HandsetListing::take_storage(int64_t capacity, int64_t free_space) {
    capacity_ = capacity;
    free_space_ = free_space;
    show_space();
}

void HandsetListing::show_space() {
    window_.set_space(capacity_, free_space_);
}

void HandsetListing::take_text(std::string_view text) {
    table_.clear();
    rows_.clear();
    window_.show_handset_rows(rows_);
    table_.assign(parser_.parse(text));
    window_.focus_handset_tree();
    refill();
}

void HandsetListing::forget_files() {
    table_.clear();
    rows_.clear();
    window_.show_handset_rows(rows_);
    window_.focus_handset_tree();
    refill();
}

bool HandsetListing::folder_full(FileType type, const std::string &entry_key) const {
    const size_t limit = type == FileType::Picture ? records::kMaxPictures : records::kMaxMelodies;
    return static_cast<size_t>(table_.count(type)) >= limit && table_.find(entry_key, type) == -1;
}

bool HandsetListing::room(FileType type, const std::string &entry_key, int64_t length) const {
    return table_.room(entry_key, type, length, free_space_);
}

void HandsetListing::saved(FileType type, const std::string &entry_text, int64_t length) {
    table_.store({type, entry_text}, &free_space_);
    free_space_ -= static_cast<int64_t>(records::allocation_size(static_cast<uint64_t>(length)));
    show_space();
    window_.focus_handset_tree();
    rows_.clear();
    window_.show_handset_rows(rows_);
    refill();
}

void HandsetListing::renamed(int32_t row, const std::string &new_name) {
    set_row_text(row, new_name);
    if (const HandsetEntry *entry = table_.at(selected_entry_)) {
        const size_t caret = entry->text.find(listing::kSizeMark);
        const std::string size =
            caret == std::string::npos ? std::string() : entry->text.substr(caret + 1);
        table_.set_text(selected_entry_, new_name + listing::kSizeMark + size);
    }
}

void HandsetListing::deleted() {
    if (selected_row_ >= 0 && static_cast<size_t>(selected_row_) < rows_.size()) {
        free_space_ += std::stoll("0" + rows_[static_cast<size_t>(selected_row_)].size);
    }
    show_space();
    table_.remove(selected_entry_);
    rows_.clear();
    window_.show_handset_rows(rows_);
    window_.focus_handset_tree();
    refill();
}

void HandsetListing::refill() {
    rows_ = table_.rows(shown_);
    window_.show_handset_rows(rows_);
}

}  // namespace zemlo::app
