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

}  // namespace zemlo::media
