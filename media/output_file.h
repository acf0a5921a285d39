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
#include <cstring>
#include <string>

#include "cut_off_output.h"

namespace zemlo::media {

inline constexpr const char *kPipeNotFile = "a named pipe or socket, not a file";

struct OutputFile {
    int fd = -1;         // blocking, close-on-exec; the caller closes it
    std::string reason;  // why there is no descriptor, without the path
};

inline OutputFile open_output_file(const std::string &path) {
    constexpr mode_t kOutputMode = 0666;  // narrowed by the user's umask, as for any new file
    const auto pipe_like = [](mode_t mode) { return S_ISFIFO(mode) || S_ISSOCK(mode); };
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

// Writes size bytes as the whole content of the output file. The writes and the close are all
// checked: when any fails (a full disk, /dev/full), a regular file written here is removed again
// and *error says why, with the path.
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
    if (::close(out.fd) != 0 && why == 0) {
        why = errno;
    }
    if (why == 0) {
        return true;
    }
    if (known) {
        discard_cut_off_output(path, written);
    }
    *error = "cannot write " + path + ": " + std::strerror(why);
    return false;
}

}  // namespace zemlo::media
