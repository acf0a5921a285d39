// Opening the file a conversion writes: the handset file, at a path the user may choose. A named
// pipe at that path would block the open until a reader came; the open never waits, and a pipe
// (or a socket) is refused. A device is written as a file is (that is how a full disk is tried
// out, with /dev/full); only a regular file is emptied first.
#pragma once

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>

#include "cut_off_output.h"

namespace zemlo::media {

inline constexpr const char *kPipeNotFile = "a named pipe or socket, not a file";

struct OutputFile {
    int fd = -1;         // blocking, close-on-exec; the caller closes it
    std::string reason;  // why there is no descriptor, without the path
    // When set, the descriptor writes this new file beside the output; place_output_file() gives
    // it the output's name.
    std::string staged_path;
};

// A new, empty file beside path, made with O_EXCL|O_NOFOLLOW under a random hidden name; nothing
// (fd -1) when the folder takes no new file, so that the output is written in place as before.
// It gets the permissions of the file it replaces (earlier), else the usual ones for a new file.
inline OutputFile open_staged_output(const std::string &path, const struct stat *earlier) {
    const size_t slash = path.rfind('/');
    const std::string folder =
        slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    OutputFile out;
    if (name.empty() || name == "." || name == "..") {
        return out;
    }
    std::random_device random;
    for (int attempt = 0; attempt < 16; ++attempt) {
        char suffix[16];
        std::snprintf(suffix, sizeof suffix, "%08x", static_cast<unsigned>(random()));
        const std::string staged = folder + "." + name + "." + suffix + ".part";
        const int fd = ::open(
            staged.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY, 0666);
        if (fd >= 0) {
            if (earlier != nullptr) {
                (void)::fchmod(fd, earlier->st_mode & 07777);
            }
            out.fd = fd;
            out.staged_path = staged;
            return out;
        }
        if (errno != EEXIST) {
            break;
        }
    }
    return out;
}

inline OutputFile open_output_file(const std::string &path) {
    constexpr mode_t kOutputMode = 0666;  // narrowed by the user's umask, as for any new file
    const auto pipe_like = [](mode_t mode) { return S_ISFIFO(mode) || S_ISSOCK(mode); };
    struct stat earlier {};
    const bool exists = ::lstat(path.c_str(), &earlier) == 0;
    // A regular file we may write, or none yet: staged. A file we may not write stays refused (by
    // the open below), and a link, a device or anything else is written through as it is.
    if ((!exists && errno == ENOENT) ||
        (exists && S_ISREG(earlier.st_mode) && ::access(path.c_str(), W_OK) == 0)) {
        OutputFile staged = open_staged_output(path, exists ? &earlier : nullptr);
        if (staged.fd >= 0) {
            return staged;
        }
    }
    OutputFile out;
    // Checked by path first: opening a pipe without a reader for writing fails without saying why.
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0 && pipe_like(info.st_mode)) {
        out.reason = kPipeNotFile;
        return out;
    }
    const int fd =
        ::open(path.c_str(), O_WRONLY | O_CREAT | O_NONBLOCK | O_CLOEXEC | O_NOCTTY, kOutputMode);
    if (fd < 0) {
        out.reason = std::strerror(errno);
        return out;
    }
    // And on the descriptor, so that nothing swapped in between is written.
    if (::fstat(fd, &info) != 0 || pipe_like(info.st_mode)) {
        out.reason = pipe_like(info.st_mode) ? kPipeNotFile : std::strerror(errno);
        ::close(fd);
        return out;
    }
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0 ||
        (S_ISREG(info.st_mode) && ::ftruncate(fd, 0) != 0)) {
        out.reason = std::strerror(errno);
        ::close(fd);
        return out;
    }
    out.fd = fd;
    return out;
}

// Gives a staged output the output's name, once all of it is written and closed; true at once for
// an output written in place. *why gets errno when it fails.
inline bool place_output_file(const OutputFile &out, const std::string &path, int *why) {
    if (out.staged_path.empty()) {
        return true;
    }
    if (::rename(out.staged_path.c_str(), path.c_str()) != 0) {
        *why = errno;
        return false;
    }
    return true;
}

// Drops an output that could not be written in full: the staged file, or the regular file that was
// written in place (only while path still names it, when its fstat is known).
inline void drop_output_file(const OutputFile &out, const std::string &path,
                             const struct stat *written) {
    if (!out.staged_path.empty()) {
        ::unlink(out.staged_path.c_str());
    } else if (written != nullptr) {
        discard_cut_off_output(path, *written);
    } else {
        discard_cut_off_output(path);
    }
}

// Writes size bytes as the whole content of the output file. The writes, the flush to the disk
// and the close are all checked: when any fails (a full disk, /dev/full), what was written is
// dropped, an earlier file of that name stays as it was, and *error says why, with the path.
inline bool write_output_file(const std::string &path, const void *data, size_t size,
                              std::string *error) {
    const OutputFile out = open_output_file(path);
    if (out.fd < 0) {
        *error = "cannot create " + path + ": " + out.reason;
        return false;
    }
    struct stat written {};
    const bool known = ::fstat(out.fd, &written) == 0;
    const auto *bytes = static_cast<const char *>(data);
    size_t done = 0;
    int why = 0;
    while (done < size) {
        const ssize_t put = ::write(out.fd, bytes + done, size - done);
        if (put < 0 && errno == EINTR) {
            continue;
        }
        if (put <= 0) {
            why = put < 0 ? errno : ENOSPC;  // a write of nothing is a full device
            break;
        }
        done += static_cast<size_t>(put);
    }
    // A staged file replaces the earlier one: its bytes are on the disk before its name is.
    if (why == 0 && !out.staged_path.empty() && ::fsync(out.fd) != 0) {
        why = errno;
    }
    if (::close(out.fd) != 0 && why == 0) {
        why = errno;
    }
    if (why == 0 && place_output_file(out, path, &why)) {
        return true;
    }
    if (known || !out.staged_path.empty()) {
        drop_output_file(out, path, &written);
    }
    *error = "cannot write " + path + ": " + std::strerror(why);
    return false;
}

}  // namespace zemlo::media
