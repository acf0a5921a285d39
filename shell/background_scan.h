// Reads that may take long (a folder on a slow or dead mount) run on a thread of their own; what
// they found is handed back on the window thread. The window never waits for them: a read that
// never ends only leaves its node unfilled, and one that ends after its owner is gone is dropped.
#pragma once

#include <QObject>
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

  private:
    struct Mailbox;
    std::shared_ptr<Mailbox> mailbox_;
    int pending_ = 0;
};

}  // namespace zemlo::shell
