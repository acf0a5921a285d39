// Making a work file of the picture side by name, in a run's own folder: whatever has the name
// (the previous capture, or anything else) is unlinked, never followed, and the file is made new
// with O_CREAT|O_EXCL|O_NOFOLLOW, so that nothing is ever written through a link or waited on at
// a pipe.
#pragma once

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

namespace zemlo::media {

// The new file's open descriptor (write only, close-on-exec), or -1 with the reason in *error.
inline int create_new_work_file(const std::string &path, std::string *error) {
    constexpr mode_t kWorkFileMode = 0600;
    ::unlink(path.c_str());
    const int fd =
        ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, kWorkFileMode);
    if (fd < 0) {
        *error = "cannot create " + path + ": " + std::strerror(errno);
    }
    return fd;
}

}  // namespace zemlo::media
