// The handset's listing, the text it sends in answer to the list command, as the handset writes it
// and the PC reads it. Each folder's path ends in a backslash, each file is "name^size;" and "%"
// closes the folder:
//
//   a:\pcdlw\pic\abc.bmp^30748;%a:\pcdlw\melody\%
//
// The handset emulator writes it (append_folder) and the program reads it (ListingReader), and
// the program keeps a file as that same entry text ("abc.bmp^30748"), so that both ends and the
// program's table read one format.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "zemlo/handset_records.h"

namespace zemlo::listing {

inline constexpr char kFolderEnd = records::kPathSeparator;  // a token ending here names a folder
inline constexpr char kEntryEnd = ';';                       // ... an entry of the current folder
inline constexpr char kFolderClose = '%';                    // ... nothing (between folders)
inline constexpr char kSizeMark = '^';                       // between a file's name and its size

// A file's entry: "name^size".
inline std::string entry_text(std::string_view name, uint64_t size) {
    std::string text(name);
    text += kSizeMark;
    text += std::to_string(size);
    return text;
}

// The start of every entry of a file of that name ("name^"): what the program looks a name up by.
inline std::string entry_key(std::string_view name) {
    std::string key(name);
    key += kSizeMark;
    return key;
}

// The name of an entry: the text before the first caret (the whole text when there is none).
inline std::string_view entry_name(std::string_view text) {
    return text.substr(0, text.find(kSizeMark));
}

// The decimal number after the caret at `caret` in text; 0 when it is not a number. Digits are read
// as far as they go, and a number too large for 31 bits counts as 0 rather than wrapping.
inline int64_t entry_size_after(std::string_view text, size_t caret) {
    if (caret == std::string_view::npos) {
        return 0;
    }
    int64_t n = 0;
    for (size_t i = caret + 1; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        n = n * 10 + (text[i] - '0');
        if (n > INT32_MAX) {
            return 0;
        }
    }
    return n;
}

// The handset's side: one folder with its files (anything with `name` and `size`), closed.
template <class Files>
void append_folder(std::string &text, std::string_view folder, const Files &files) {
    text += folder;
    text += kFolderEnd;
    for (const auto &file : files) {
        text += entry_text(file.name, file.size);
        text += kEntryEnd;
    }
    text += kFolderClose;
}

// The last part of a folder's path, which is what a listing's reader is left with as its folder:
// "pic" for "a:\pcdlw\pic".
constexpr std::string_view folder_leaf(std::string_view folder) {
    const size_t end = folder.rfind(kFolderEnd);
    return end == std::string_view::npos ? folder : folder.substr(end + 1);
}

// The PC's side. Left to right, a token is the run of characters since the previous separator:
//   token "\"  names a folder: it becomes the current folder, trimmed (so a full path with a
//              trailing backslash leaves its last part, "pic" or "melody");
//   token ";"  is an entry of the current folder, trimmed;
//   token "%"  is discarded (it separates one folder's entries from the next path);
//   a token left unterminated at the end is discarded.
// The current folder persists from one listing to the next, as the handset may continue where it
// left off.
class ListingReader {
  public:
    // Calls entry(folder, text) for every entry, with the current folder at that point.
    template <class Entry>
    void read(std::string_view text, Entry &&entry) {
        size_t token_start = 0;
        for (size_t i = 0; i < text.size(); ++i) {
            const char c = text[i];
            if (c != kFolderEnd && c != kEntryEnd && c != kFolderClose) {
                continue;
            }
            const std::string_view token = trim(text.substr(token_start, i - token_start));
            token_start = i + 1;
            if (c == kFolderEnd) {
                folder_ = std::string(token);
            } else if (c == kEntryEnd) {
                entry(std::string_view(folder_), token);
            }
        }
    }

  private:
    static bool is_blank(char c) {
        return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
    }
    static std::string_view trim(std::string_view s) {
        while (!s.empty() && is_blank(s.front())) {
            s.remove_prefix(1);
        }
        while (!s.empty() && is_blank(s.back())) {
            s.remove_suffix(1);
        }
        return s;
    }

    std::string folder_;
};

}  // namespace zemlo::listing
