// Opening the file a conversion writes: the handset file, at a path the user may choose. A named
// pipe at that path would block the open until a reader came, and a device would swallow the
// bytes; the open never waits, and only a regular file (new, or replaced) is written.
#pragma once

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

namespace zemlo::media {

struct OutputFile {
    int fd = -1;         // blocking, close-on-exec, empty; the caller closes it
    std::string reason;  // why there is no descriptor, without the path
};

inline OutputFile open_output_file(const std::string &path) {
    constexpr mode_t kOutputMode = 0666;  // narrowed by the user's umask, as for any new file
    constexpr const char *kNotRegular = "not a regular file";
    OutputFile out;
    // Checked by path first: opening a pipe without a reader for writing fails without saying why.
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode)) {
        out.reason = kNotRegular;
        return out;
    }
    const int fd =
        ::open(path.c_str(), O_WRONLY | O_CREAT | O_NONBLOCK | O_CLOEXEC | O_NOCTTY, kOutputMode);
    if (fd < 0) {
        out.reason = std::strerror(errno);
        return out;
    }
    // And on the descriptor, so that nothing swapped in between is written; only then emptied.
    const int flags = ::fcntl(fd, F_GETFL);
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || flags < 0 ||
        ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0 || ::ftruncate(fd, 0) != 0) {
        out.reason = S_ISREG(info.st_mode) ? std::strerror(errno) : kNotRegular;
        ::close(fd);
        return out;
    }
    out.fd = fd;
    return out;
}

}  // namespace zemlo::media
