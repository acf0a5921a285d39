#include "device_worker.h"

#include <algorithm>
#include <cstring>
#include <exception>

#include "frame_link.h"
#include "library_lifetime.h"
#include "request_record.h"
#include "time_scale.h"
#include "window_post.h"
#include "zemlo/byte_order.h"
#include "zemlo/signal_record.h"

namespace handlink {
namespace {

// The settle time after an open: the handset needs it before the first frame.
constexpr std::chrono::milliseconds kOpenSettle{500};
// How long a new exchange waits for records already complete to be collected and discarded.
constexpr std::chrono::milliseconds kStaleWindow{10};
// The empty record the worker starts with: reserved 1, kind 0x20, no message.
constexpr uint32_t kEmptyReserved = 1;
constexpr uint32_t kEmptyKind = 0x20;

}  // namespace

DeviceWorker::DeviceWorker(FrameLink &link)
    : link_(link),
      current_(zemlo::kForwardedRecordBytes),
      staging_(zemlo::kForwardedRecordBytes),
      forward_copy_(zemlo::kForwardedRecordBytes * posted_record_copies()) {}

DeviceWorker::~DeviceWorker() {
    std::unique_lock<std::mutex> lock(mutex_);
    if (thread_.joinable() && !on_worker_thread()) {
        // Unloading with the link open: close it through the worker, as CloseComm would.
        lock.unlock();
        close_and_stop();
    }
}

bool DeviceWorker::start() {
    std::unique_lock<std::mutex> lock(mutex_);
    if (running_) {
        return true;
    }
    if (thread_.joinable()) {
        // A worker that ended on its own has still to be joined.
        lock.unlock();
        thread_.join();
        release_library();
        lock.lock();
    }
    // The worker's starting state is set here, before the thread exists: a request posted before
    // the new thread first runs is then kept, never wiped by the thread's own start.
    stop_ = false;
    running_ = true;
    request_ = Request::None;
    done_ = true;
    polling_ = false;
    std::fill(current_.begin(), current_.end(), uint8_t{0});
    zemlo::write_le32(current_.data() + zemlo::kRecordReservedOffset, kEmptyReserved);
    zemlo::write_le32(current_.data() + zemlo::kRecordKindOffset, kEmptyKind);
    current_size_ = zemlo::kRecordHeadBytes;
    try {
        thread_ = std::thread([this] { run(); });
    } catch (const std::exception &) {
        running_ = false;
        return false;
    }
    thread_id_.store(thread_.get_id());
    hold_library();
    return true;
}

bool DeviceWorker::running() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return running_;
}

bool DeviceWorker::on_worker_thread() const {
    const std::thread::id worker = thread_id_.load();
    return worker != std::thread::id() && std::this_thread::get_id() == worker;
}

bool DeviceWorker::post(std::unique_lock<std::mutex> &lock, Request request) {
    if (!running_ || on_worker_thread()) {
        return false;
    }
    request_ = request;
    done_ = false;
    worker_wake_.notify_all();
    caller_wake_.wait(lock, [this] { return done_ || !running_; });
    return done_;
}

std::optional<int32_t> DeviceWorker::open(uint32_t port, uint32_t baud) {
    std::lock_guard<std::mutex> serial(post_mutex_);
    std::unique_lock<std::mutex> lock(mutex_);
    port_ = port;
    baud_ = baud;
    if (!post(lock, Request::Open)) {
        return std::nullopt;
    }
    return result_;
}

std::optional<int32_t> DeviceWorker::send(const uint8_t *record, size_t size,
                                          bool *last_frame_written) {
    std::lock_guard<std::mutex> serial(post_mutex_);
    std::unique_lock<std::mutex> lock(mutex_);
    record_ = record;
    record_size_ = size;
    const bool handled = post(lock, Request::Send);
    record_ = nullptr;
    if (!handled) {
        return std::nullopt;
    }
    if (last_frame_written != nullptr) {
        *last_frame_written = last_frame_written_;
    }
    return result_;
}

std::optional<uint8_t> DeviceWorker::charge(uint32_t value) {
    std::lock_guard<std::mutex> serial(post_mutex_);
    std::unique_lock<std::mutex> lock(mutex_);
    charge_value_ = value;
    if (!post(lock, Request::Charge)) {
        return std::nullopt;
    }
    return charge_result_;
}

void DeviceWorker::close_and_stop() {
    if (on_worker_thread()) {
        return;
    }
    std::lock_guard<std::mutex> serial(post_mutex_);
    std::unique_lock<std::mutex> lock(mutex_);
    if (running_) {
        post(lock, Request::Close);
    }
    stop_and_join(lock);
}

void DeviceWorker::stop_and_join(std::unique_lock<std::mutex> &lock) {
    stop_ = true;
    running_ = false;
    worker_wake_.notify_all();
    caller_wake_.notify_all();
    if (thread_.joinable()) {
        lock.unlock();
        thread_.join();
        release_library();
        lock.lock();
    }
    thread_id_.store(std::thread::id());
}

void DeviceWorker::set_window(HlWindowHandle window, uint32_t message) {
    std::lock_guard<std::recursive_mutex> lock(window_mutex_);
    window_ = window;
    message_ = message;
}

void DeviceWorker::on_line_lost(void *context) {
    auto *self = static_cast<DeviceWorker *>(context);
    std::lock_guard<std::mutex> lock(self->mutex_);
    self->line_lost_ = true;
    self->lost_notice_due_ = true;
    self->worker_wake_.notify_all();
    self->caller_wake_.notify_all();
}

void DeviceWorker::tell_line_lost() {
    std::lock_guard<std::recursive_mutex> lock(window_mutex_);
    if (window_ == nullptr) {
        return;
    }
    // A record with no message: a host that reads every record it is given sees nothing to do.
    uint8_t *copy = next_forward_copy();
    std::fill_n(copy, zemlo::kForwardedRecordBytes, uint8_t{0});
    zemlo::write_le32(copy + zemlo::kRecordKindOffset, HL_LINE_LOST_KIND);
    post_to_window(window_, message_, copy, HL_LINE_LOST);
}

void DeviceWorker::on_arrival(void *context) {
    auto *self = static_cast<DeviceWorker *>(context);
    std::lock_guard<std::mutex> lock(self->mutex_);
    self->arrival_pending_ = true;
    self->worker_wake_.notify_all();
}

void DeviceWorker::run() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        // A waiting exchange examines every record: the next is fetched only when all have seen
        // the current one (the ring keeps the rest meanwhile).
        worker_wake_.wait(lock, [this] {
            return stop_ || request_ != Request::None || lost_notice_due_ ||
                   (polling_ && arrival_pending_ && unseen_ == 0);
        });
        if (stop_) {
            break;
        }
        if (lost_notice_due_) {
            lost_notice_due_ = false;
            lock.unlock();
            tell_line_lost();
            lock.lock();
        }
        if (request_ == Request::Open) {
            const uint32_t port = port_;
            const uint32_t baud = baud_;
            if (!link_.is_open()) {
                line_lost_ = false;
                lost_notice_due_ = false;
            }
            lock.unlock();
            int32_t status = kOpenException;
            try {
                // An open link stays as it is; reopening it would only report it busy.
                status = link_.is_open() ? kSerialOk : link_.link_open(port, baud);
            } catch (const std::exception &) {
                status = kOpenException;
            }
            lock.lock();
            worker_wake_.wait_for(lock, scaled(kOpenSettle), [this] { return stop_; });
            result_ = status;
            request_ = Request::None;
            polling_ = true;  // also after a failed open
            done_ = true;
            caller_wake_.notify_all();
        }
        if (polling_ && arrival_pending_ && unseen_ == 0) {
            fetch_one(lock);
        }
        switch (request_) {
            case Request::Close:
                lock.unlock();
                link_.link_close();
                lock.lock();
                polling_ = false;
                break;
            case Request::Send: {
                const uint8_t *record = record_;
                const size_t size = record_size_;
                lock.unlock();
                bool whole = false;
                const int32_t status = link_.send_record(record, size, &whole);
                lock.lock();
                result_ = status;
                last_frame_written_ = whole;
                break;
            }
            case Request::Charge:
                charge_result_ = 1;
                break;
            case Request::None:
            case Request::Open:
                continue;
        }
        request_ = Request::None;
        done_ = true;
        caller_wake_.notify_all();
    }
    running_ = false;
    caller_wake_.notify_all();
}

void DeviceWorker::fetch_one(std::unique_lock<std::mutex> &lock) {
    // Cleared before the fetch: a record completing meanwhile sets it again.
    arrival_pending_ = false;
    fetching_ = true;
    lock.unlock();
    const size_t size = link_.fetch_record(staging_.data(), staging_.size());
    lock.lock();
    fetching_ = false;
    if (size == 0) {
        caller_wake_.notify_all();  // the ring is drained: a new exchange need not wait longer
        return;
    }
    arrival_pending_ = true;  // there may be more
    std::copy_n(staging_.begin(), size, current_.begin());
    current_size_ = size;
    ++arrival_seq_;
    unseen_ = waiters_;
    caller_wake_.notify_all();

    if (is_forwarded(staging_.data(), size)) {
        lock.unlock();
        forward(size);
        lock.lock();
    }
}

void DeviceWorker::forward(size_t size) {
    std::lock_guard<std::recursive_mutex> lock(window_mutex_);
    if (window_ == nullptr) {
        return;
    }
    // The sink gets its own copy, valid until post returns (until later posts reuse its slot,
    // where the window reads it later); the bytes after the record are cleared so that nothing
    // of an earlier message shows through.
    uint8_t *copy = next_forward_copy();
    std::copy_n(staging_.begin(), size, copy);
    std::fill(copy + size, copy + zemlo::kForwardedRecordBytes, uint8_t{0});
    post_to_window(window_, message_, copy, 0);
}

uint8_t *DeviceWorker::next_forward_copy() {
    uint8_t *copy = forward_copy_.data() + forward_slot_ * zemlo::kForwardedRecordBytes;
    forward_slot_ = (forward_slot_ + 1) % posted_record_copies();
    return copy;
}

uint64_t DeviceWorker::begin_wait() {
    std::unique_lock<std::mutex> lock(mutex_);
    // Records already complete are collected now and count as stale.
    caller_wake_.wait_for(lock, kStaleWindow,
                          [this] { return !arrival_pending_ || !polling_ || !running_; });
    ++waiters_;
    return arrival_seq_;
}

DeviceWorker::WaitResult DeviceWorker::wait_next(uint64_t &seen, std::chrono::milliseconds timeout,
                                                 Examiner examine, void *context) {
    std::unique_lock<std::mutex> lock(mutex_);
    // A record completed before the line went counts: the handset did answer. So the loss ends
    // the wait only once the records still in the ring have been fetched and examined.
    const auto lost = [this] {
        return line_lost_ && !fetching_ && (!arrival_pending_ || !polling_);
    };
    if (!caller_wake_.wait_for(lock, timeout,
                               [&] { return arrival_seq_ != seen || !running_ || lost(); })) {
        return WaitResult::Timeout;
    }
    if (arrival_seq_ == seen && lost() && running_) {
        return WaitResult::LineLost;
    }
    if (arrival_seq_ == seen) {
        return WaitResult::Stopped;
    }
    seen = arrival_seq_;
    if (claimed_seq_ != seen && examine(context, current_.data(), current_size_)) {
        claimed_seq_ = seen;
    }
    if (--unseen_ == 0) {
        worker_wake_.notify_all();
    }
    return WaitResult::Examined;
}

void DeviceWorker::end_wait(uint64_t seen) {
    std::lock_guard<std::mutex> lock(mutex_);
    --waiters_;
    if (seen != arrival_seq_ && unseen_ > 0 && --unseen_ == 0) {
        worker_wake_.notify_all();
    }
}

}  // namespace handlink
