// The user's private work folder, where the program keeps its temporary files: $ZEMLO_WORK_DIR,
// else $XDG_CACHE_HOME/zemlo, else ~/.cache/zemlo. Created with mode 0700 so that no other user
// can read or plant files there. Nothing is ever written beside the user's own files.
#pragma once

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <optional>
#include <string>
#include <system_error>

namespace zemlo {

inline std::string work_dir_path() {
    if (const char *dir = std::getenv("ZEMLO_WORK_DIR"); dir != nullptr && *dir != '\0') {
        return dir;
    }
    if (const char *cache = std::getenv("XDG_CACHE_HOME"); cache != nullptr && *cache == '/') {
        return std::string(cache) + "/zemlo";
    }
    const char *home = std::getenv("HOME");
    return std::string(home != nullptr && *home != '\0' ? home : "/tmp") + "/.cache/zemlo";
}

// Creates the folder (and missing parents) and returns its path, or the reason it cannot be used.
inline std::optional<std::string> ensure_work_dir(std::string *error = nullptr) {
    const std::string path = work_dir_path();
    for (size_t pos = 1; pos <= path.size(); ++pos) {
        if (pos != path.size() && path[pos] != '/') {
            continue;
        }
        const std::string part = path.substr(0, pos);
        const bool last = pos == path.size();
        if (::mkdir(part.c_str(), last ? 0700 : 0755) != 0 && errno != EEXIST) {
            if (error != nullptr) {
                *error = "cannot create " + part + ": " + std::generic_category().message(errno);
            }
            return std::nullopt;
        }
    }
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        if (error != nullptr) {
            *error = path + " is not a folder";
        }
        return std::nullopt;
    }
    if ((st.st_mode & 077) != 0 && st.st_uid == ::getuid()) {
        ::chmod(path.c_str(), 0700);
    }
    return path;
}

}  // namespace zemlo
