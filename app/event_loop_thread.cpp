#include "event_loop_thread.h"

#include <future>

namespace zemlo::app {

EventLoopThread::EventLoopThread() : thread_([this] { run(); }) {}

EventLoopThread::~EventLoopThread() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    cv_.notify_all();
    thread_.join();
}

void EventLoopThread::post(std::function<void()> fn) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        queue_.push_back(std::move(fn));
    }
    cv_.notify_all();
}

void EventLoopThread::invoke(const std::function<void()> &fn) {
    if (on_window_thread()) {
        fn();
        return;
    }
    std::promise<void> done;
    post([&] {
        fn();
        done.set_value();
    });
    done.get_future().wait();
}

bool EventLoopThread::on_window_thread() const {
    return std::this_thread::get_id() == thread_.get_id();
}

void EventLoopThread::drain() {
    invoke([] {});
}

void EventLoopThread::run() {
    for (;;) {
        std::function<void()> fn;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            cv_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
            if (queue_.empty()) {
                return;
            }
            fn = std::move(queue_.front());
            queue_.pop_front();
        }
        fn();
    }
}

}  // namespace zemlo::app
