#include "background_scan.h"

#include <condition_variable>
#include <mutex>
#include <thread>

namespace zemlo::shell {

// Shared with the threads, which may outlive the owner: the owner is cleared under the lock.
struct BackgroundScan::Mailbox {
    std::mutex lock;
    BackgroundScan *owner = nullptr;
};

namespace {

// Every read of the process, for its end. Made once and never destroyed: threads still running
// when the process's globals go may still count down here.
struct Running {
    std::mutex lock;
    std::condition_variable ended;
    int count = 0;
};

Running &running() {
    static auto *r = new Running;
    return *r;
}

}  // namespace

bool BackgroundScan::wait_for_reads(std::chrono::milliseconds limit) {
    Running &r = running();
    std::unique_lock lock(r.lock);
    return r.ended.wait_for(lock, limit, [&r] { return r.count == 0; });
}

BackgroundScan::BackgroundScan(QObject *parent)
    : QObject(parent), mailbox_(std::make_shared<Mailbox>()) {
    mailbox_->owner = this;
}

BackgroundScan::~BackgroundScan() {
    const std::lock_guard guard(mailbox_->lock);
    mailbox_->owner = nullptr;
}

void BackgroundScan::run(Work work) {
    ++pending_;
    {
        const std::lock_guard guard(running().lock);
        ++running().count;
    }
    // Detached: a read stuck in the kernel must not hold the program's exit.
    std::thread([mailbox = mailbox_, work = std::move(work)] {
        std::function<void()> then = work();
        const auto done = [] {
            Running &r = running();
            {
                const std::lock_guard guard(r.lock);
                --r.count;
            }
            r.ended.notify_all();
        };
        const std::lock_guard guard(mailbox->lock);
        BackgroundScan *owner = mailbox->owner;
        if (owner == nullptr) {
            then = nullptr;  // what it holds goes here, while the globals are still there
            done();
            return;
        }
        // Posted while the owner exists; deleting it later drops the posted call.
        QMetaObject::invokeMethod(
            owner,
            [owner, then = std::move(then)] {
                --owner->pending_;
                then();
            },
            Qt::QueuedConnection);
        done();
    }).detach();
}

}  // namespace zemlo::shell
