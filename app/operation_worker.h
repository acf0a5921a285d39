// The one thread that runs the core's operations, one at a time, and the calls it makes on the
// window thread. The core hands it what an operation does (body) and the operation's last step on
// the window thread (release); the worker keeps the thread, the stop token, whether an operation
// runs (busy) and which one (pending), and a command that had to wait for the thread before it.
#pragma once

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include "dispatcher.h"
#include "operation.h"
#include "stop_token.h"

namespace zemlo::app {

class OperationWorker {
  public:
    // body runs each operation on the worker thread. release runs there once the operation ended
    // without being stopped; it makes the operation's last call on the window thread and returns
    // whether that call was made, after which the operation counts as finished (busy clears).
    OperationWorker(Dispatcher &dispatcher, std::function<void(Operation)> body,
                    std::function<bool()> release);
    ~OperationWorker();
    OperationWorker(const OperationWorker &) = delete;
    OperationWorker &operator=(const OperationWorker &) = delete;

    // Window thread: starts op unless one runs (false then). An operation ended at once by a
    // handset event whose thread has not finished yet is not waited for: op starts when it has.
    bool start(Operation op);

    // Runs fn on the window thread and waits for it; from the worker, false (and fn maybe not
    // run) once the operation is stopped. On the window thread fn runs at once.
    bool on_window(const std::function<void()> &fn);

    // Window thread: when an operation that counts runs (anything but a disconnect), runs before
    // (what must not outlive it), stops it at once and forgets it; true when there was one.
    bool interrupt(const std::function<void()> &before);
    // Stops whatever runs at once and waits for the thread (teardown).
    void stop_and_join();
    // The operation no longer counts as running, though its thread may still be ending.
    void end_busy() { set_busy(false); }

    // Off the window thread: waits until no operation runs or waits to start, and the thread has
    // ended.
    void wait_until_idle();

    bool busy() const { return busy_.load(); }
    Operation pending() const { return static_cast<Operation>(pending_.load()); }
    // An operation waiting for the user before it starts (the rename's in-place edit).
    void set_pending(Operation op) { pending_.store(static_cast<int32_t>(op)); }
    // The calling thread's token: the worker's, none on the window thread (whose calls, the
    // teardown's disconnect among them, are never stopped).
    StopToken *token_of_caller() { return dispatcher_.on_window_thread() ? nullptr : &token_; }
    StopToken &token() { return token_; }

  private:
    struct WindowCall;

    void procedure();
    void thread_ended();  // window thread: starts a command deferred while the thread ended
    void stop_at_once();
    void set_busy(bool busy);

    Dispatcher &dispatcher_;
    std::function<void(Operation)> body_;
    std::function<bool()> release_;
    std::shared_ptr<std::atomic<OperationWorker *>> alive_;

    std::thread thread_;
    StopToken token_;
    std::atomic<int32_t> pending_{0};
    std::atomic<bool> busy_{false};
    std::mutex idle_mutex_;
    std::condition_variable idle_cv_;
    // An operation that counts runs (set at its start, cleared at its end or when interrupted).
    std::atomic<bool> recorded_{false};
    // True from the start of a thread until the last thing it does; the window thread joins a
    // thread only once this is false, so it never waits for a thread that needs it.
    std::atomic<bool> alive_thread_{false};
    // Set by the thread once it needs nothing more from the window thread (its normal end).
    std::atomic<bool> window_released_{false};
    std::atomic<int32_t> deferred_{0};  // an Operation; set and started on the window thread
    std::mutex call_mutex_;
    std::shared_ptr<WindowCall> current_call_;
};

}  // namespace zemlo::app
