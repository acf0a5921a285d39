// The files a command writes, checked against what it reads and against each other before any
// work is done: a conversion whose output is its own input would overwrite the user's picture or
// MIDI file, and two outputs on one file leave only the last one written.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace zemlo::cli {

// Whether a and b name the same file: by device and inode when both exist, else by their
// absolute paths with "." and ".." removed and the symbolic links of the existing part resolved.
// Paths are taken as bytes, whatever their encoding.
bool same_file(const std::string &a, const std::string &b);

struct NamedOutput {
    std::string option;  // how the command line names it: "OUT", "--preview", "--wav"
    std::string path;
};

// Why the outputs cannot be written: an empty name, an output that is the input, or an output
// that is another one. Nothing when they are all distinct.
std::optional<std::string> refuse_outputs(const std::string &input,
                                          const std::vector<NamedOutput> &outputs);

}  // namespace zemlo::cli
