#include "command_deadline.h"

namespace zemlo::cli {

CommandDeadline::CommandDeadline(std::chrono::milliseconds limit, std::chrono::milliseconds grace,
                                 std::function<void()> on_expiry, std::function<void()> on_stuck)
    : on_expiry_(std::move(on_expiry)), on_stuck_(std::move(on_stuck)) {
    thread_ =
        std::thread(&CommandDeadline::watch, this, std::chrono::steady_clock::now() + limit, grace);
}

CommandDeadline::~CommandDeadline() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        ended_ = true;
    }
    cv_.notify_all();
    thread_.join();
}

void CommandDeadline::watch(std::chrono::steady_clock::time_point expiry,
                            std::chrono::milliseconds grace) {
    std::unique_lock<std::mutex> lock(mutex_);
    if (cv_.wait_until(lock, expiry, [this] { return ended_; })) {
        return;
    }
    lock.unlock();
    on_expiry_();
    lock.lock();
    if (cv_.wait_for(lock, grace, [this] { return ended_; })) {
        return;
    }
    lock.unlock();
    on_stuck_();
}

}  // namespace zemlo::cli
