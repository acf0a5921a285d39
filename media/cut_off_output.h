// A conversion whose output could not be written in full removes what it wrote, so that a cut-off
// file is never taken for a good one. Only a regular file is removed: a device or pipe the user
// named as the output stays where it is.
#pragma once

#include <sys/stat.h>
#include <unistd.h>

#include <string>

namespace zemlo::media {

inline void discard_cut_off_output(const std::string &path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode)) {
        ::unlink(path.c_str());
    }
}

// The same, when the file that was written is known by its fstat: the path is removed only while
// it still names that regular file, so that nothing put there since (or a device) is touched.
inline void discard_cut_off_output(const std::string &path, const struct stat &written) {
    struct stat info {};
    if (S_ISREG(written.st_mode) && ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
        info.st_dev == written.st_dev && info.st_ino == written.st_ino) {
        ::unlink(path.c_str());
    }
}

}  // namespace zemlo::media
