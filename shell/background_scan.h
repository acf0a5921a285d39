// Reads that may take long (a folder on a slow or dead mount) run on a thread of their own; what
// they found is handed back on the window thread. The window never waits for them: a read that
// never ends only leaves its node unfilled, and one that ends after its owner is gone is dropped.
#pragma once

#include <QObject>
#include <chrono>
#include <functional>
#include <memory>

namespace zemlo::shell {

class BackgroundScan : public QObject {
    Q_OBJECT
  public:
    // Work runs on a new thread and returns what to do with its result on the owner's thread.
    using Work = std::function<std::function<void()>()>;

    explicit BackgroundScan(QObject *parent = nullptr);
    ~BackgroundScan() override;

    void run(Work work);
    // Reads started whose results have not been handed back yet.
    int pending() const { return pending_; }

    // Waits up to `limit` for every read of the process to end; true when none runs any more.
    // Called before the process ends: a read uses the toolkit, whose globals (some of them made
    // by the read itself) go with the end, so one still running then would use them gone. A read
    // that ends within a short while is let end; a program that finds one still stuck ends
    // without the globals' destruction instead (std::_Exit).
    static bool wait_for_reads(std::chrono::milliseconds limit);

  private:
    struct Mailbox;
    std::shared_ptr<Mailbox> mailbox_;
    int pending_ = 0;
};

}  // namespace zemlo::shell
