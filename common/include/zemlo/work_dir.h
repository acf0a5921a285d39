// The user's private work folder, under which every conversion and download keeps its temporary
// files (each run in a subfolder of its own, see run_folder.h): $ZEMLO_WORK_DIR, else
// $XDG_CACHE_HOME/zemlo, else ~/.cache/zemlo, else $XDG_RUNTIME_DIR/zemlo. There is no shared
// fallback such as /tmp: another user could have made the folder there first.
//
// The folder is used only when nobody else can plant or swap files in it: it must be a real
// folder (not a symbolic link), belong to the user and not be writable by group or others, and
// every folder above it must belong to the user or to root and be writable by nobody else unless
// it has the sticky bit (as /tmp has); so must every symbolic link on the way to it, and the
// folder holding that link, since whoever owns a link decides where it leads. A folder that fails
// is refused with the reason; it is never changed, because the program did not create it. A
// missing folder (and missing parents) is created with mode 0700.
#pragma once

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <system_error>

#include "zemlo/path_walk.h"

namespace zemlo {

inline constexpr mode_t kPrivateFolderMode = 0700;

namespace work_dir_detail {

inline std::string mode_text(mode_t mode) {
    char text[8];
    std::snprintf(text, sizeof text, "%04o", static_cast<unsigned>(mode & 07777));
    return text;
}

inline std::string errno_text(int error) {
    return std::generic_category().message(error);
}

}  // namespace work_dir_detail

// Where the work folder is, from the environment; nothing when no private place is known.
inline std::optional<std::string> work_dir_path() {
    const auto set = [](const char *name) -> const char * {
        const char *v = std::getenv(name);
        return v != nullptr && *v != '\0' ? v : nullptr;
    };
    if (const char *dir = set("ZEMLO_WORK_DIR")) {
        return std::string(dir);
    }
    if (const char *cache = set("XDG_CACHE_HOME"); cache != nullptr && *cache == '/') {
        return std::string(cache) + "/zemlo";
    }
    if (const char *home = set("HOME"); home != nullptr && *home == '/') {
        return std::string(home) + "/.cache/zemlo";
    }
    if (const char *runtime = set("XDG_RUNTIME_DIR"); runtime != nullptr && *runtime == '/') {
        return std::string(runtime) + "/zemlo";
    }
    return std::nullopt;
}

// What keeps the work folder itself from being private to user `me`; empty when nothing does.
inline std::string work_dir_fault(const struct stat &st, uid_t me) {
    if (S_ISLNK(st.st_mode)) {
        return "is a symbolic link";
    }
    if (!S_ISDIR(st.st_mode)) {
        return "is not a folder";
    }
    if (st.st_uid != me) {
        return "belongs to another user (uid " + std::to_string(st.st_uid) + ")";
    }
    if ((st.st_mode & (S_IWGRP | S_IWOTH)) != 0) {
        return "can be written by other users (mode " + work_dir_detail::mode_text(st.st_mode) +
               ")";
    }
    return {};
}

// The same for a folder above it: root's folders and sticky shared folders are safe there, since
// nobody else can rename or replace what the user made in them.
inline std::string work_dir_parent_fault(const struct stat &st, uid_t me) {
    if (!S_ISDIR(st.st_mode)) {
        return "is not a folder";
    }
    if (st.st_uid != me && st.st_uid != 0) {
        return "belongs to another user (uid " + std::to_string(st.st_uid) + ")";
    }
    if ((st.st_mode & (S_IWGRP | S_IWOTH)) != 0 && (st.st_mode & S_ISVTX) == 0) {
        return "can be written by other users (mode " + work_dir_detail::mode_text(st.st_mode) +
               ")";
    }
    return {};
}

namespace work_dir_detail {

// "a/b/c" -> "a/b", "/a" -> "/", "a" -> ".".
inline std::string parent_of(const std::string &path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

// A link on the way to the work folder may be followed only when it is the user's or root's and
// lies in a folder that passes as a folder above the work folder.
inline LinkRule link_rule_above(const std::string &work_dir, uid_t me) {
    return [work_dir, me](const struct stat &link, const struct stat &folder,
                          const std::string &shown) -> std::string {
        if (link.st_uid != me && link.st_uid != 0) {
            return "the work folder " + work_dir + " is not private: " + shown +
                   " above it is a link of another user (uid " + std::to_string(link.st_uid) + ")";
        }
        if (const std::string why = work_dir_parent_fault(folder, me); !why.empty()) {
            return "the work folder " + work_dir + " is not private: the folder of the link " +
                   shown + " above it " + why;
        }
        return {};
    };
}

// Resolves `from` (links included, each one checked) and checks it and every folder above it;
// the reason, naming the folder, or empty. *resolved gets the path with no link left in it.
inline std::string check_above(const std::string &from, const std::string &work_dir, uid_t me,
                               std::string *resolved = nullptr) {
    const PathEnd end = walk_path(from, link_rule_above(work_dir, me));
    if (!end.refusal.empty()) {
        return end.refusal;
    }
    if (!end.ok() || !end.exists) {
        return "cannot reach " + from + " above the work folder " + work_dir + ": " +
               errno_text(end.error != 0 ? end.error : ENOENT);
    }
    const std::string real = end.path();
    if (resolved != nullptr) {
        *resolved = real;
    }
    for (std::string at = real;; at = parent_of(at)) {
        struct stat st {};
        if (::lstat(at.c_str(), &st) != 0) {
            return "cannot check " + at + " above the work folder: " + errno_text(errno);
        }
        if (const std::string why = work_dir_parent_fault(st, me); !why.empty()) {
            return "the work folder " + work_dir + " is not private: " + at + " above it " + why;
        }
        if (at == "/") {
            return {};
        }
    }
}

}  // namespace work_dir_detail

// Checks (and, where missing, creates) the work folder; returns its path with every symbolic link
// above it resolved, or nothing with the reason, naming the folder, in *error.
inline std::optional<std::string> ensure_work_dir(std::string *error = nullptr) {
    using work_dir_detail::errno_text;
    const auto fail = [error](const std::string &why) -> std::optional<std::string> {
        if (error != nullptr) {
            *error = why;
        }
        return std::nullopt;
    };
    const auto named = work_dir_path();
    if (!named) {
        return fail(
            "no private work folder: neither HOME, XDG_CACHE_HOME, XDG_RUNTIME_DIR nor "
            "ZEMLO_WORK_DIR is set");
    }
    std::string path = *named;
    while (path.size() > 1 && path.back() == '/') {
        path.pop_back();
    }
    const size_t slash = path.rfind('/');
    if (path.empty() || path == "/" || path == "." || path == ".." ||
        path.substr(slash + 1) == "." || path.substr(slash + 1) == "..") {
        return fail("the work folder " + *named + " is not a folder name of its own");
    }
    // The folders above it: the deepest one that exists, and everything above that, are checked
    // before anything is made below it; the missing ones are then made as the user's own.
    const uid_t me = ::geteuid();
    const std::string parent = work_dir_detail::parent_of(path);
    std::string existing = parent;
    struct stat seen {};
    while (::stat(existing.c_str(), &seen) != 0 && errno == ENOENT && existing != "/" &&
           existing != ".") {
        existing = work_dir_detail::parent_of(existing);
    }
    if (const std::string why = work_dir_detail::check_above(existing, path, me); !why.empty()) {
        return fail(why);
    }
    for (size_t pos = existing == "." ? 1 : existing.size() + 1; pos <= parent.size(); ++pos) {
        if (pos != parent.size() && parent[pos] != '/') {
            continue;
        }
        const std::string part = parent.substr(0, pos);
        if (::mkdir(part.c_str(), kPrivateFolderMode) != 0 && errno != EEXIST) {
            return fail("cannot create " + part + " for the work folder: " + errno_text(errno));
        }
    }
    std::string above;
    if (const std::string why = work_dir_detail::check_above(parent, path, me, &above);
        !why.empty()) {
        return fail(why);
    }
    const std::string folder =
        (above == "/" ? std::string() : above) + "/" + path.substr(slash + 1);
    if (::mkdir(folder.c_str(), kPrivateFolderMode) != 0 && errno != EEXIST) {
        return fail("cannot create the work folder " + folder + ": " + errno_text(errno));
    }
    struct stat st {};
    if (::lstat(folder.c_str(), &st) != 0) {
        return fail("cannot check the work folder " + folder + ": " + errno_text(errno));
    }
    if (const std::string why = work_dir_fault(st, me); !why.empty()) {
        return fail("the work folder " + folder + " " + why +
                    "; it is left as it is: make it a private folder of yours (mode 0700) or "
                    "set ZEMLO_WORK_DIR");
    }
    return folder;
}

}  // namespace zemlo
