// What the PC folder tree shows, read from the file system: the top-level places and the
// subfolders of a folder. Hidden folders (names starting with ".") are left out, as a file
// manager leaves them out by default. Paths are bytes: a folder whose name is not UTF-8 is shown
// escaped and still opened.
#pragma once

#include <QString>
#include <string>
#include <vector>

namespace zemlo::shell {

struct FolderNode {
    QString name;      // shown text
    std::string path;  // absolute path, as the file system has it
    bool has_subfolders = false;

    bool operator==(const FolderNode &) const = default;
};

// Home, the Desktop when it exists, the file system root and the other mounted volumes, in that
// order; a place already listed is not listed twice.
std::vector<FolderNode> top_level_places();

// The visible subfolders of path, sorted by name (case-insensitive, then as written). Symbolic
// links to folders count as folders. An unreadable folder has none.
std::vector<FolderNode> subfolders(const std::string &path);

// Whether path holds at least one visible subfolder (stops at the first).
bool has_subfolders(const std::string &path);

// path without "." and ".." steps and without a trailing "/" (the root stays "/").
std::string clean_folder_path(const std::string &path);

}  // namespace zemlo::shell
