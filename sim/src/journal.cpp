#include "journal.h"

namespace handsim {

void Journal::log(const std::string &text) {
    trace_.note(text);
    if (sink_) {
        std::lock_guard lock(log_mutex_);
        sink_(text);
    }
}

EmulatorStats Journal::stats() const {
    std::lock_guard lock(mutex_);
    return stats_;
}

bool Journal::wait_messages_sent(uint64_t count, std::chrono::milliseconds timeout) const {
    std::unique_lock lock(mutex_);
    return cv_.wait_for(lock, timeout, [&] { return stats_.messages_sent >= count; });
}

}  // namespace handsim
