#include "adapter_hold.h"

#include <algorithm>

namespace handsim {

void AdapterHold::push(Clock::time_point at, const uint8_t *bytes, size_t count) {
    bytes_.insert(bytes_.end(), bytes, bytes + count);
    arrived_.insert(arrived_.end(), count, at);
}

std::optional<AdapterHold::Clock::time_point> AdapterHold::due() const {
    if (bytes_.empty()) {
        return std::nullopt;
    }
    // A full packet goes at the moment its last byte came in.
    if (bytes_.size() >= kPacketBytes) {
        return std::min(arrived_[kPacketBytes - 1], arrived_.front() + latency_);
    }
    return arrived_.front() + latency_;
}

std::vector<uint8_t> AdapterHold::take(Clock::time_point now) {
    std::vector<uint8_t> out;
    for (;;) {
        const auto when = due();
        if (!when || *when > now) {
            break;
        }
        // The timer releases what is waiting, at most a packet; a new timer starts with the next
        // byte held.
        const size_t n = std::min(bytes_.size(), kPacketBytes);
        out.insert(out.end(), bytes_.begin(), bytes_.begin() + static_cast<std::ptrdiff_t>(n));
        bytes_.erase(bytes_.begin(), bytes_.begin() + static_cast<std::ptrdiff_t>(n));
        arrived_.erase(arrived_.begin(), arrived_.begin() + static_cast<std::ptrdiff_t>(n));
    }
    return out;
}

void AdapterHold::clear() {
    bytes_.clear();
    arrived_.clear();
}

}  // namespace handsim
