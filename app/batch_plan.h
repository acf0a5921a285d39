// Several files downloaded in one go: the handset name each gets from its own, the names that
// would clash on the handset (refused before anything is sent), and which failure of one file
// stops the rest. The window and the command line share these rules.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "handset_entry.h"
#include "messages.h"

namespace zemlo::app {

// The name the handset takes, made from a file's own by the corrections the name box makes (cut
// to length, characters it refuses dropped); empty when nothing of it is left.
std::string name_from_file(std::string name);

// Names of one folder that the handset would take for the same file (it does not tell case
// apart): the positions of the first two, or nothing.
struct NamedFile {
    FileType type = FileType::Picture;
    std::string name;  // without its extension
};
std::optional<std::pair<size_t, size_t>> first_clash(const std::vector<NamedFile> &files);

// A failure of one file that leaves the handset as ready for the next as before; any other (a
// full folder, no room, a lost line) would meet the rest too.
bool only_this_file(MessageId result);

}  // namespace zemlo::app
