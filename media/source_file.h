// Opening a file the user named (a picture, a MIDI file) for reading. A path can name a named
// pipe or a device as easily as a file: opening a pipe without a writer blocks until one comes,
// and reading a device may never end. The open itself therefore never waits (O_NONBLOCK), and
// whatever the descriptor turns out to be, only a regular file is kept.
#pragma once

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <string>

namespace zemlo::media {

inline constexpr const char *kNotRegularFile = "not a regular file";

struct SourceFile {
    int fd = -1;         // blocking again, close-on-exec; the caller closes it
    int64_t size = 0;    // bytes, from the open descriptor
    std::string reason;  // why there is no descriptor, without the path
};

inline SourceFile open_source_file(const std::string &path) {
    SourceFile source;
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        source.reason = std::strerror(errno);
        return source;
    }
    // Checked on the descriptor rather than the path, so that nothing can be swapped in between.
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        source.reason = std::strerror(errno);
        ::close(fd);
        return source;
    }
    if (!S_ISREG(info.st_mode)) {
        source.reason = kNotRegularFile;
        ::close(fd);
        return source;
    }
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        source.reason = std::strerror(errno);
        ::close(fd);
        return source;
    }
    source.fd = fd;
    source.size = static_cast<int64_t>(info.st_size);
    return source;
}

}  // namespace zemlo::media
