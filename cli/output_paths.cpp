#include "output_paths.h"

#include <sys/stat.h>

#include <filesystem>

namespace zemlo::cli {

namespace {

namespace fs = std::filesystem;

fs::path normalised(const std::string &path) {
    std::error_code ec;
    const fs::path absolute = fs::absolute(path, ec);
    if (ec) {
        return fs::path(path).lexically_normal();
    }
    const fs::path resolved = fs::weakly_canonical(absolute, ec);
    return ec ? absolute.lexically_normal() : resolved;
}

}  // namespace

bool same_file(const std::string &a, const std::string &b) {
    struct stat sa {};
    struct stat sb {};
    if (::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0) {
        return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
    }
    return normalised(a) == normalised(b);
}

std::optional<std::string> refuse_outputs(const std::string &input,
                                          const std::vector<NamedOutput> &outputs) {
    for (size_t i = 0; i < outputs.size(); ++i) {
        const NamedOutput &out = outputs[i];
        if (out.path.empty()) {
            return out.option + " is an empty file name";
        }
        if (same_file(out.path, input)) {
            return out.option + " " + out.path + " is the input file " + input +
                   "; writing it would destroy the input";
        }
        for (size_t j = 0; j < i; ++j) {
            if (same_file(out.path, outputs[j].path)) {
                return out.option + " " + out.path + " is the same file as " + outputs[j].option +
                       " " + outputs[j].path;
            }
        }
    }
    return std::nullopt;
}

}  // namespace zemlo::cli
