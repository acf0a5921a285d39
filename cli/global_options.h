// The options every handset command takes: which port (--port N, --device PATH) and where the
// link library writes its protocol trace (--trace FILE). They may stand before the command's name
// or among its own arguments, so main() takes them out before it dispatches.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace zemlo::cli {

inline constexpr uint32_t kHighestComPort = 255;

struct GlobalOptions {
    std::optional<uint32_t> port;
    std::optional<std::string> device;
    std::optional<std::string> trace;
};

// Removes the global options from args (up to a "--", which is kept) and returns them; nothing
// with *error set when one is malformed (a missing value, a port that is not 1..255, both
// --port and --device, an option given twice).
std::optional<GlobalOptions> extract_global_options(std::vector<std::string> &args,
                                                    std::string *error);

// The options of this run, set once by main().
GlobalOptions &global_options();

}  // namespace zemlo::cli
