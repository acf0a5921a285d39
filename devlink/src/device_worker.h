// The device worker: the one thread that opens, sends on and closes the link, collects every
// received record, forwards the handset-initiated ones to the program's message sink and wakes
// the callers that wait for a confirmation. Callers hand it one request at a time and wait for
// it to be done; it wakes on a posted request or a completed record, never on a timer.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "handlink.h"

namespace handlink {

class FrameLink;

// The status an open request reports when link_open failed with an exception.
inline constexpr int32_t kOpenException = 99;

class DeviceWorker {
  public:
    explicit DeviceWorker(FrameLink &link);
    ~DeviceWorker();
    DeviceWorker(const DeviceWorker &) = delete;
    DeviceWorker &operator=(const DeviceWorker &) = delete;

    // Starts the thread unless it runs already; false when it cannot be started.
    bool start();
    bool running() const;
    bool on_worker_thread() const;

    // Requests handed to the worker; each waits until the worker has handled it. nullopt when no
    // worker runs or the caller is the worker itself (a message sink calling back in).
    std::optional<int32_t> open(uint32_t port, uint32_t baud);
    // *last_frame_written (when given): the record's last frame went out (FrameLink::send_record).
    std::optional<int32_t> send(const uint8_t *record, size_t size,
                                bool *last_frame_written = nullptr);
    std::optional<uint8_t> charge(uint32_t value);
    // Closes the link through the worker and ends the thread. Nothing when it does not run.
    void close_and_stop();

    void set_window(HlWindowHandle window, uint32_t message);

    // Called on the reader thread when a record is complete.
    static void on_arrival(void *context);
    // Called on the reader thread when the line is lost: waits for a confirmation end at once
    // and the message sink is told (an empty record of kind HL_LINE_LOST_KIND, lparam HL_LINE_LOST)
    // on the worker thread.
    static void on_line_lost(void *context);

    // Waiting for a confirmation. begin_wait discards what arrived before (waiting briefly for
    // the worker to collect records already complete) and registers the caller, who then sees
    // every later record until end_wait. wait_next waits up to `timeout` for the next record and
    // hands it to examine(record, size) under the worker's lock; examine returns true when the
    // record was what it waited for, so no other waiter takes it too.
    enum class WaitResult { Examined, Timeout, Stopped, LineLost };
    using Examiner = bool (*)(void *context, const uint8_t *record, size_t size);
    uint64_t begin_wait();
    WaitResult wait_next(uint64_t &seen, std::chrono::milliseconds timeout, Examiner examine,
                         void *context);
    void end_wait(uint64_t seen);

  private:
    enum class Request { None, Open, Send, Close, Charge };

    void run();
    bool post(std::unique_lock<std::mutex> &lock, Request request);
    void fetch_one(std::unique_lock<std::mutex> &lock);
    void forward(size_t size);
    uint8_t *next_forward_copy();
    void tell_line_lost();
    void stop_and_join(std::unique_lock<std::mutex> &lock);

    FrameLink &link_;
    std::thread thread_;
    std::atomic<std::thread::id> thread_id_{};

    // One hand-over at a time; taken before mutex_.
    std::mutex post_mutex_;

    mutable std::mutex mutex_;
    std::condition_variable worker_wake_;
    std::condition_variable caller_wake_;
    bool running_ = false;
    bool stop_ = false;
    Request request_ = Request::None;
    bool done_ = true;
    bool polling_ = false;
    uint32_t port_ = 0;
    uint32_t baud_ = 0;
    const uint8_t *record_ = nullptr;
    size_t record_size_ = 0;
    uint32_t charge_value_ = 0;
    int32_t result_ = 0;
    bool last_frame_written_ = false;
    uint8_t charge_result_ = 0;

    bool arrival_pending_ = false;  // the link may hold a record not yet fetched

    bool fetching_ = false;         // a record is being taken from the ring, lock released
    bool line_lost_ = false;        // since the last open
    bool lost_notice_due_ = false;  // the sink has yet to be told
    std::vector<uint8_t> current_;  // the last record fetched
    size_t current_size_ = 0;
    uint64_t arrival_seq_ = 0;  // numbers the fetched records
    uint64_t claimed_seq_ = 0;  // the last record a waiter took
    int waiters_ = 0;
    int unseen_ = 0;  // waiters that have not yet examined the current record

    // Worker thread only.
    std::vector<uint8_t> staging_;
    std::vector<uint8_t> forward_copy_;  // as many records as must stay valid at once
    size_t forward_slot_ = 0;

    // Held while the sink is called, so that replacing it waits for a call in progress.
    std::recursive_mutex window_mutex_;
    HlWindowHandle window_ = nullptr;
    uint32_t message_ = 0;
};

}  // namespace handlink
