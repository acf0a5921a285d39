// The values the whole program shares: the window thread, the operation worker and the device
// wrappers all read and write them, so every one that crosses threads is atomic.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

namespace zemlo::app {

inline constexpr uint32_t kDefaultComPort = 3;
inline constexpr uint32_t kBaudRate = 115200;
inline constexpr int32_t kConnectAttempts = 3;

struct ProgramValues {
    std::string module_dir;  // the program's own folder, without a trailing slash; set at start
    std::atomic<uint32_t> com_port{1};
    std::atomic<bool> open_error_reporting{true};
    std::atomic<int32_t> connect_attempts_left{kConnectAttempts};
    std::atomic<bool> cancel{false};
    std::atomic<bool> connected{false};
    // A command that changes the handset's store has gone out, and its operation has not yet told
    // the user how it ended: a handset event now leaves the result unknown.
    std::atomic<bool> change_in_flight{false};
};

// While it lives, a link that cannot be opened shows no box: for requests whose failure the
// caller tells its own way (the abort notice, the tries to reach a restarting handset).
class OpenErrorsSilenced {
  public:
    explicit OpenErrorsSilenced(ProgramValues &values) : values_(values) {
        values_.open_error_reporting.store(false);
    }
    ~OpenErrorsSilenced() { values_.open_error_reporting.store(true); }
    OpenErrorsSilenced(const OpenErrorsSilenced &) = delete;
    OpenErrorsSilenced &operator=(const OpenErrorsSilenced &) = delete;

  private:
    ProgramValues &values_;
};

}  // namespace zemlo::app
