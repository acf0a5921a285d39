// The handset's task and signal numbering as built into the library, and the signals the PC asks
// the handset to report. The name tables load these rows each time they are rebuilt.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace handlink {

struct BuiltinTask {
    const char *name;
    uint8_t id;
};

struct BuiltinSignal {
    std::string name;
    uint16_t id;
};

inline constexpr size_t kBuiltinTaskRows = 107;
inline constexpr size_t kBuiltinSignalRows = 2070;

// Task rows in table order; several names share one id, and lookups find the first.
std::span<const BuiltinTask> builtin_tasks();

// Signal rows in table order: the handset's signals by ascending id, then "NON_SIGNAL" (0) and
// "NoMoreSignals" (1). Rows the handset defines but the library never names carry placeholder
// names ("SIG_UNNAMED_" and the id in hex) that no real signal uses.
const std::vector<BuiltinSignal> &builtin_signals();

// The signals the PC asks the handset to report, in the order they are selected.
std::span<const char *const> builtin_filter_names();

}  // namespace handlink
