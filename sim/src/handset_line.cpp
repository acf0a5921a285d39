#include "handset_line.h"

#include <algorithm>
#include <thread>

namespace handsim {

namespace {
constexpr size_t kPacedChunk = 16;  // bytes written at once on a paced line
}  // namespace

HandsetLine::HandsetLine(uint32_t baud, std::chrono::milliseconds adapter_latency)
    : adapter_latency_(adapter_latency), pacer_(baud) {}

HandsetLine::~HandsetLine() {
    close();
}

bool HandsetLine::open(const std::string &path, std::string *error) {
    {
        std::lock_guard lock(mutex_);
        if (!line_.open(path, error)) {
            return false;
        }
    }
    if (adapter_latency_.count() > 0) {
        adapter_ = std::make_unique<AdapterRelay>(
            adapter_latency_,
            [this](const uint8_t *bytes, size_t n) { return line_.write_all(bytes, n); });
        adapter_->start();
    }
    return true;
}

void HandsetLine::close() {
    if (adapter_) {
        adapter_->stop();
    }
    std::lock_guard lock(mutex_);
    line_.close();
}

bool HandsetLine::write(const uint8_t *bytes, size_t n, const uint8_t *noise, size_t noise_n) {
    std::lock_guard lock(mutex_);
    if (noise_n != 0) {
        write_paced(noise, noise_n);
    }
    return write_paced(bytes, n);
}

void HandsetLine::hang_up() {
    std::lock_guard lock(mutex_);
    change_line([this] { line_.close(); });
}

bool HandsetLine::reopen(const std::string &path, std::string *error) {
    bool opened = false;
    std::lock_guard lock(mutex_);
    change_line([&] { opened = line_.open(path, error); });
    return opened;
}

bool HandsetLine::write_line(const uint8_t *bytes, size_t n) {
    if (adapter_) {
        adapter_->hold(bytes, n);
        return true;
    }
    return line_.write_all(bytes, n);
}

bool HandsetLine::write_paced(const uint8_t *bytes, size_t n) {
    if (!pacer_.paced()) {
        return write_line(bytes, n);
    }
    const Clock::time_point start = pacer_.reserve(n);
    for (size_t i = 0; i < n; i += kPacedChunk) {
        const size_t chunk = std::min(kPacedChunk, n - i);
        // An adapter counts a byte from when it has come in whole.
        const size_t at = adapter_ ? i + chunk : i;
        std::this_thread::sleep_until(start + pacer_.byte_time() * static_cast<int64_t>(at));
        if (!write_line(bytes + i, chunk)) {
            return false;
        }
    }
    return true;
}

}  // namespace handsim
