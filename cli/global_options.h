// The options every handset command takes: which port (--port N, --device PATH) and where the
// link library writes its protocol trace (--trace FILE), and how long a handset command may take
// in all (--deadline SECONDS). They may stand before the command's name
// or among its own arguments, so main() takes them out before it dispatches.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace zemlo::cli {

inline constexpr uint32_t kHighestComPort = 255;
// Long enough for the largest download over a slow line with retries; a command that takes longer
// is stuck, whatever the handset keeps sending.
inline constexpr uint32_t kDefaultDeadlineSeconds = 300;
inline constexpr uint32_t kLongestDeadlineSeconds = 86400;

struct GlobalOptions {
    std::optional<uint32_t> port;       // the first port named
    std::optional<std::string> device;  // the first device named
    std::optional<std::string> trace;
    // Every handset named: --port repeated or given a list ("3,4,5"), or --device repeated. Only
    // download and list serve more than one; the others refuse with several_error.
    std::vector<uint32_t> ports;
    std::vector<std::string> devices;
    std::string several_error;  // why a single-handset command refuses these options

    size_t handsets() const { return ports.size() + devices.size(); }
    uint32_t deadline_seconds = kDefaultDeadlineSeconds;
};

// Removes the global options from args (up to a "--", which is kept) and returns them; nothing
// with *error set when one is malformed (a missing value, a port that is not 1..255, both
// --port and --device, --trace given twice). --port and --device may name several handsets.
std::optional<GlobalOptions> extract_global_options(std::vector<std::string> &args,
                                                    std::string *error);

// The options of this run, set once by main().
GlobalOptions &global_options();

}  // namespace zemlo::cli
