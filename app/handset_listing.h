// The handset's files as the window shows them: the table last listed, the rows of the folder on
// show, the handset's capacity and free space, and the file that rename and delete act on. The
// operations update it on the window thread, and it keeps the window's file list and space gauge
// in step with what it holds.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "handset_entry.h"
#include "handset_file_table.h"
#include "listing_parser.h"
#include "window_port.h"

namespace zemlo::app {

class HandsetListing {
  public:
    explicit HandsetListing(WindowPort &window) : window_(window) {}

    const HandsetFileTable &table() const { return table_; }
    const std::vector<HandsetRow> &rows() const { return rows_; }
    int64_t capacity() const { return capacity_; }
    int64_t free_space() const { return free_space_; }
    // The folder on show: its type and its path on the handset.
    FileType shown_type() const { return shown_; }
    std::string shown_folder() const { return std::string(folder_path(shown_)); }

    // Shows the rows of another folder.
    void show_folder(FileType type);
    // The row of that name in the folder on show, or -1.
    int32_t row_named(const std::string &name) const;
    // Makes row the one rename and delete act on; false when there is no such row.
    bool select_row(int32_t row);
    int32_t selected_row() const { return selected_row_; }
    // The selected row's name, or empty when the selection is gone.
    std::string selected_name() const;
    void set_row_text(int32_t row, const std::string &text);

    // The handset's storage as a listing described it, shown at once.
    void take_storage(int64_t capacity, int64_t free_space);
    // Not connected: no capacity, no free space (shown with the next show_space).
    void forget_storage() { capacity_ = free_space_ = 0; }
    void show_space();
    // A new listing's text replaces the table.
    void take_text(std::string_view text);
    // The handset's files are no longer known.
    void forget_files();

    // --- what the download asks and changes. entry_key: "name.ext^" ---
    // The folder has no room for one more file of this name.
    bool folder_full(FileType type, const std::string &entry_key) const;
    // The handset has room for length bytes under this name.
    bool room(FileType type, const std::string &entry_key, int64_t length) const;
    // The bytes a file of this name may take: the free space and the space of the file it
    // replaces.
    int64_t available(FileType type, const std::string &entry_key) const {
        return table_.available(entry_key, type, free_space_);
    }
    // The handset kept the file of this entry ("name.ext^length").
    void saved(FileType type, const std::string &entry_text, int64_t length);
    // The file of row (the selected one) was renamed (name with its extension).
    void renamed(int32_t row, const std::string &new_name);
    // The selected file was deleted.
    void deleted();

  private:
    void refill();

    WindowPort &window_;
    ListingParser parser_;
    HandsetFileTable table_;
    std::vector<HandsetRow> rows_;
    int64_t capacity_ = 0;
    int64_t free_space_ = 0;
    FileType shown_ = FileType::Picture;
    int32_t selected_row_ = -1;
    int32_t selected_entry_ = -1;
};

}  // namespace zemlo::app
