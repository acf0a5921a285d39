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
    std::optional<uint32_t> port;
    std::optional<std::string> device;
    std::optional<std::string> trace;
    uint32_t deadline_seconds = kDefaultDeadlineSeconds;
};

// Removes the global options from args (up to a "--", which is kept) and returns them; nothing
// with *error set when one is malformed (a missing value, a port that is not 1..255, both
// --port and --device, an option given twice).
std::optional<GlobalOptions> extract_global_options(std::vector<std::string> &args,
                                                    std::string *error);

// The options of this run, set once by main().
GlobalOptions &global_options();

}  // namespace zemlo::cli
