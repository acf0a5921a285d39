#include "pc_choice.h"

#include <filesystem>
#include <system_error>
#include <vector>

#include "pc_file_filter.h"

namespace zemlo::app {

void PcChoice::set_type(FileType type) {
    type_ = type;
    if (!folder_.empty()) {
        clear_file();
        show_folder(folder_);
    }
    window_.set_extension_label(std::string(file_extension(type)));
    window_.show_panel(type);
}

void PcChoice::show_folder(const std::string &folder) {
    namespace fs = std::filesystem;
    folder_ = folder;
    if (!folder_.empty() && folder_.back() != '/') {
        folder_ += '/';
    }
    std::vector<PcFileRow> rows;
    std::error_code ec;
    for (fs::directory_iterator it(folder_, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        // Plain files only: a pipe or a device under a picture or MIDI name would block the
        // panel that opens it, or never end.
        std::error_code type_ec;
        if (!it->is_regular_file(type_ec) || !is_listed_for_type(name, type_)) {
            continue;
        }
        std::error_code size_ec;
        const uintmax_t size = it->file_size(size_ec);
        // Each kept file goes in as the first row, as the list has always shown them.
        rows.insert(rows.begin(), PcFileRow{name, size_ec ? 0 : static_cast<uint64_t>(size)});
    }
    window_.show_pc_files(rows);
}

void PcChoice::clear_file() {
    file_.clear();
    files_.clear();
    window_.set_pc_file_label("");
}

void PcChoice::choose_file(const std::string &name_in_folder) {
    window_.set_pc_file_label(name_in_folder);
    file_ = folder_ + name_in_folder;
    files_.clear();
}

void PcChoice::choose_files(const std::vector<std::string> &names_in_folder) {
    if (names_in_folder.size() < 2) {
        names_in_folder.empty() ? clear_file() : choose_file(names_in_folder.front());
        return;
    }
    std::string label;
    files_.clear();
    for (const std::string &name : names_in_folder) {
        label += (label.empty() ? "" : "  ") + name;
        files_.push_back(folder_ + name);
    }
    // The first stays the file the panels show and a single download would take.
    file_ = files_.front();
    window_.set_pc_file_label(label);
}

void PcChoice::take(FileType type, const std::string &file, const std::string &name) {
    type_ = type;
    file_ = file;
    files_.clear();
    name_ = name;
}

MessageId missing_for_download(const std::string &file, const std::string &name) {
    if (file.empty()) {
        return MessageId::ChooseFile;
    }
    if (name.empty()) {
        return MessageId::EnterName;
    }
    return MessageId::None;
}

}  // namespace zemlo::app
