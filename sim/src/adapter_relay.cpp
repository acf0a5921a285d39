#include "adapter_relay.h"

namespace handsim {

AdapterRelay::AdapterRelay(std::chrono::milliseconds latency, Sink sink)
    : sink_(std::move(sink)), hold_(latency) {}

AdapterRelay::~AdapterRelay() {
    stop();
}

void AdapterRelay::start() {
    if (!thread_.joinable()) {
        stopping_ = false;
        thread_ = std::thread([this] { run(); });
    }
}

void AdapterRelay::stop() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
        hold_.clear();
    }
    cv_.notify_all();
    if (thread_.joinable()) {
        thread_.join();
    }
}

void AdapterRelay::hold(const uint8_t *bytes, size_t count) {
    {
        std::lock_guard lock(mutex_);
        hold_.push(AdapterHold::Clock::now(), bytes, count);
    }
    cv_.notify_all();
}

void AdapterRelay::drop_held(const std::function<void()> &change) {
    std::lock_guard lock(mutex_);
    hold_.clear();
    change();
}

void AdapterRelay::run() {
    std::unique_lock lock(mutex_);
    while (!stopping_) {
        const auto due = hold_.due();
        if (!due) {
            cv_.wait(lock);
        } else if (*due > AdapterHold::Clock::now()) {
            cv_.wait_until(lock, *due);
        }
        const auto out = hold_.take(AdapterHold::Clock::now());
        if (!out.empty()) {
            // Written with the lock held, so that drop_held never closes the line under it.
            sink_(out.data(), out.size());
        }
    }
}

}  // namespace handsim
