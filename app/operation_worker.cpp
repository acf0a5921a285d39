#include "operation_worker.h"

namespace zemlo::app {

// A call the worker makes on the window thread. It waits for the call to finish, or, when the
// operation is stopped while the call still waits in the queue, gives it up; a given-up call never
// runs, so it never touches the worker's (by then unwound) stack.
struct OperationWorker::WindowCall {
    enum class State { Pending, Running, Done, Abandoned };
    std::mutex mutex;
    std::condition_variable cv;
    State state = State::Pending;
    const std::function<void()> *fn = nullptr;
};

OperationWorker::OperationWorker(Dispatcher &dispatcher, std::function<void(Operation)> body,
                                 std::function<bool()> release)
    : dispatcher_(dispatcher),
      body_(std::move(body)),
      release_(std::move(release)),
      alive_(std::make_shared<std::atomic<OperationWorker *>>(this)) {}

OperationWorker::~OperationWorker() {
    alive_->store(nullptr);
    stop_and_join();
}

bool OperationWorker::start(Operation op) {
    if (busy_.load()) {
        // One operation at a time; a command given meanwhile is not started.
        return false;
    }
    if (alive_thread_.load() && !window_released_.load()) {
        // The operation before was ended by a handset event but its thread has not finished: it
        // may still be inside the library or about to ask the window thread for something, so
        // the window thread must not wait for it. The command starts once it has ended.
        deferred_.store(static_cast<int32_t>(op));
        return true;
    }
    if (thread_.joinable()) {
        thread_.join();  // it has finished everything; only its return is left
    }
    token_.reset();
    pending_.store(static_cast<int32_t>(op));
    busy_.store(true);
    recorded_.store(op != Operation::Disconnect);
    window_released_.store(false);
    alive_thread_.store(true);
    thread_ = std::thread(&OperationWorker::procedure, this);
    return true;
}

void OperationWorker::thread_ended() {
    if (deferred_.load() == 0 || alive_thread_.load() || busy_.load()) {
        return;
    }
    const auto op = static_cast<Operation>(deferred_.exchange(0));
    start(op);
}

void OperationWorker::procedure() {
    // Stopped at once by a handset event or teardown, the operation runs through without effect
    // (every device call, wait and window call returns at once) and none of its ending runs.
    set_busy(true);
    body_(pending());
    if (!token_.stopped()) {
        recorded_.store(false);
        pending_.store(0);
        // The last window call comes before the operation counts as finished, so that once busy
        // clears the thread needs nothing more from the window thread and can be joined there.
        if (release_()) {
            window_released_.store(true);
            set_busy(false);
        }
    }
    // The last thing the thread does: a command deferred meanwhile can start now.
    std::shared_ptr<std::atomic<OperationWorker *>> alive = alive_;
    {
        std::lock_guard<std::mutex> lock(idle_mutex_);
        alive_thread_.store(false);
    }
    idle_cv_.notify_all();
    dispatcher_.post([alive] {
        if (OperationWorker *worker = alive->load()) {
            worker->thread_ended();
        }
    });
}

bool OperationWorker::on_window(const std::function<void()> &fn) {
    if (dispatcher_.on_window_thread()) {
        fn();
        return true;
    }
    if (token_.stopped()) {
        return false;
    }
    auto call = std::make_shared<WindowCall>();
    call->fn = &fn;
    {
        std::lock_guard<std::mutex> lock(call_mutex_);
        current_call_ = call;
    }
    dispatcher_.post([call] {
        {
            std::lock_guard<std::mutex> lock(call->mutex);
            if (call->state == WindowCall::State::Abandoned) {
                return;
            }
            call->state = WindowCall::State::Running;
        }
        (*call->fn)();
        {
            std::lock_guard<std::mutex> lock(call->mutex);
            call->state = WindowCall::State::Done;
        }
        call->cv.notify_all();
    });
    std::unique_lock<std::mutex> lock(call->mutex);
    call->cv.wait(lock, [&] {
        return call->state == WindowCall::State::Done ||
               (call->state == WindowCall::State::Pending && token_.stopped());
    });
    const bool given_up = call->state == WindowCall::State::Pending;
    if (given_up) {
        call->state = WindowCall::State::Abandoned;
    }
    lock.unlock();
    {
        std::lock_guard<std::mutex> guard(call_mutex_);
        current_call_.reset();
    }
    return !token_.stopped();
}

bool OperationWorker::interrupt(const std::function<void()> &before) {
    if (!recorded_.load()) {
        return false;
    }
    before();
    stop_at_once();
    recorded_.store(false);
    return true;
}

void OperationWorker::stop_and_join() {
    if (thread_.joinable()) {
        // Whatever the thread still wanted from the window thread is given up: it ends now.
        stop_at_once();
        thread_.join();
    }
}

void OperationWorker::stop_at_once() {
    token_.stop();
    std::shared_ptr<WindowCall> call;
    {
        std::lock_guard<std::mutex> lock(call_mutex_);
        call = current_call_;
    }
    if (call) {
        std::lock_guard<std::mutex> lock(call->mutex);
        call->cv.notify_all();
    }
}

void OperationWorker::set_busy(bool busy) {
    {
        std::lock_guard<std::mutex> lock(idle_mutex_);
        busy_.store(busy);
    }
    idle_cv_.notify_all();
}

void OperationWorker::wait_until_idle() {
    for (;;) {
        {
            std::unique_lock<std::mutex> lock(idle_mutex_);
            idle_cv_.wait(lock, [this] { return !busy_.load() && !alive_thread_.load(); });
        }
        // Let the window thread finish what the operation queued for it, the thread's end notice
        // among it, which starts a command deferred meanwhile.
        dispatcher_.invoke([] {});
        if (!busy_.load() && deferred_.load() == 0) {
            return;
        }
    }
}

}  // namespace zemlo::app
