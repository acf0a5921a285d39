#include "background_scan.h"

#include <mutex>
#include <thread>

namespace zemlo::shell {

// Shared with the threads, which may outlive the owner: the owner is cleared under the lock.
struct BackgroundScan::Mailbox {
    std::mutex lock;
    BackgroundScan *owner = nullptr;
};

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
    // Detached: a read stuck in the kernel must not hold the program's exit.
    std::thread([mailbox = mailbox_, work = std::move(work)] {
        std::function<void()> then = work();
        const std::lock_guard guard(mailbox->lock);
        BackgroundScan *owner = mailbox->owner;
        if (owner == nullptr) {
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
    }).detach();
}

}  // namespace zemlo::shell
