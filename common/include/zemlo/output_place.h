// Where a file the user named is written: a conversion's output, a preview, a WAV, a protocol
// trace. In a folder others may write to (sticky and open to all, as /tmp), anyone can plant a
// link under the name the user is about to write, to make the program overwrite a file of the
// user's or create one where the planter cannot. There a link is followed only when it belongs
// to the user or to the folder's owner, and nothing is ever created through a link that points
// nowhere. A user's own link in a folder of their own is followed as before. The kernel can do the
// same (fs.protected_symlinks), but that is off on some systems.
#pragma once

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "zemlo/path_walk.h"

namespace zemlo {

// The rule for links on the way to a file the user writes.
inline std::string shared_link_fault(const struct stat &link, const struct stat &folder,
                                     const std::string &shown) {
    const uid_t me = ::geteuid();
    if (!shared_folder(folder) || link.st_uid == me || link.st_uid == folder.st_uid) {
        return {};
    }
    // Not std::to_string: its digit table is a unique symbol, which would keep the link library,
    // which includes this, from ever being unloaded.
    char uid[24];
    std::snprintf(uid, sizeof uid, "%lu", static_cast<unsigned long>(link.st_uid));
    return shown + " is a link of another user (uid " + uid +
           ") in a folder open to all; it is not followed";
}

// Walks to the file the user named, under the rule above; refused too when the file does not
// exist and the name was reached through a link in a shared folder.
inline PathEnd find_output_place(const std::string &path) {
    PathEnd end = walk_path(path, &shared_link_fault);
    if (end.ok() && !end.exists && !end.shared_link.empty()) {
        end.refusal = end.shared_link +
                      " is a link in a folder open to all to a file that does not exist; no "
                      "file is made through it";
    }
    return end;
}

// Why the walk gives no place, without the path the user gave.
inline std::string output_place_reason(const PathEnd &end) {
    return !end.refusal.empty() ? end.refusal : std::strerror(end.error != 0 ? end.error : EINVAL);
}

// Opens the trace file at path for appending, creating it when missing: a regular file only (a
// named pipe would hold the open or the writes until a reader came, and a device or socket is no
// trace), under the link rule above, and without ever waiting in the open. Returns a blocking
// descriptor, or -1 with errno set (EACCES for a link refused, EINVAL for what is not a regular
// file) and the reason in *why.
inline int open_trace_output(const std::string &path, std::string *why) {
    const auto fail = [why](int error, const std::string &text) {
        if (why != nullptr) {
            *why = text;
        }
        errno = error;
        return -1;
    };
    constexpr const char *kNotAFile = "not a regular file";
    const PathEnd end = find_output_place(path);
    if (!end.refusal.empty()) {
        return fail(EACCES, end.refusal);
    }
    if (!end.ok()) {
        return fail(end.error, std::strerror(end.error));
    }
    if (end.exists && !S_ISREG(end.st.st_mode)) {
        return fail(EINVAL, kNotAFile);
    }
    constexpr mode_t kTraceMode = 0666;  // narrowed by the umask, as any new file
    const int fd = ::openat(
        end.dir_fd, end.name.c_str(),
        O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, kTraceMode);
    if (fd < 0) {
        const int e = errno;
        return fail(e, std::strerror(e));
    }
    // Checked again on the descriptor: nothing swapped in since is written to.
    struct stat st {};
    const int flags = ::fcntl(fd, F_GETFL);
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || flags < 0 ||
        ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        ::close(fd);
        return fail(EINVAL, kNotAFile);
    }
    return fd;
}

}  // namespace zemlo
