// Reads the handset's listing text into handset file table entries.
//
// Grammar, left to right; a token is the run of characters since the previous separator:
//   token "\"  names a directory: it becomes the current directory, trimmed (so a full path with a
//              trailing backslash leaves its last component, "pic" or "melody");
//   token ";"  is an entry of the current directory, trimmed;
//   token "%"  is discarded (it separates one directory's entries from the next path);
//   a token left unterminated at the end is discarded.
// Only entries under exactly "pic" (pictures) and "melody" (melodies) are kept. The current
// directory persists from one listing to the next, as the handset may continue where it left off.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "handset_entry.h"

namespace zemlo::app {

class ListingParser {
  public:
    std::vector<HandsetEntry> parse(std::string_view text);
    const std::string &current_directory() const { return current_dir_; }

  private:
    std::string current_dir_;
};

}  // namespace zemlo::app
