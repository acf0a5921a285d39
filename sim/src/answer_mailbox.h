// The PC's answer to the handset's last frame: the reader thread posts the ACK or NAK it read,
// the service loop waits for it after each frame it writes.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace handsim {

class AnswerMailbox {
  public:
    enum class Answer { None, Ack, Nak };

    // Forgets an answer not yet taken: called before a frame is written.
    void clear() {
        std::lock_guard lock(mutex_);
        answer_ = Answer::None;
    }
    void post(Answer a) {
        {
            std::lock_guard lock(mutex_);
            answer_ = a;
        }
        cv_.notify_all();
    }
    // The answer that came within the timeout, or None (also once stopped).
    Answer wait(std::chrono::milliseconds timeout) {
        std::unique_lock lock(mutex_);
        cv_.wait_for(lock, timeout, [this] { return answer_ != Answer::None || stopped_; });
        return answer_;
    }
    void stop() {
        {
            std::lock_guard lock(mutex_);
            stopped_ = true;
        }
        cv_.notify_all();
    }

  private:
    std::mutex mutex_;
    std::condition_variable cv_;
    Answer answer_ = Answer::None;
    bool stopped_ = false;
};

}  // namespace handsim
