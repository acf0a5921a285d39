// The service thread: each message from the PC or control command taken in turn by the download
// service, and what it answers sent as long-header messages, one acknowledged frame at a time.
// It owns the download service; the other loops reach it only by posting work.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "answer_mailbox.h"
#include "control_command.h"
#include "download_service.h"
#include "fault_plan.h"
#include "handset_line.h"
#include "journal.h"
#include "restart_clock.h"
#include "stop_signal.h"

namespace handsim {

struct ServiceSettings {
    std::chrono::milliseconds ack_timeout{1000};
    unsigned send_attempts = 3;
    std::chrono::milliseconds restart_quiet{3000};
};

class ServiceLoop {
  public:
    // hang_up asks the line reader to close the line (the service never touches it itself).
    ServiceLoop(MediaStore &store, HandsetLine &line, AnswerMailbox &answers, FaultPlan &faults,
                Journal &journal, RestartClock &restart, const StopSignal &stop,
                ServiceSettings settings, std::function<void()> hang_up);
    ~ServiceLoop();
    ServiceLoop(const ServiceLoop &) = delete;
    ServiceLoop &operator=(const ServiceLoop &) = delete;

    void start();
    // Ends the thread after the work in hand; what is queued is dropped.
    void stop();

    // withhold: the service acts on the message but what it answers is never sent.
    void post_message(PcMessage message, bool withhold = false);
    // A handset event now (as the control command "event CODE").
    void post_event(uint16_t code);
    void post_control(const ControlCommand &command);

    bool reporting() const { return reporting_.load(); }
    // Waits until nothing is queued and nothing is being answered; false at the timeout.
    bool wait_idle(std::chrono::milliseconds timeout);

  private:
    struct Work {
        bool is_control = false;
        PcMessage message;
        ControlCommand control;
        bool withhold = false;
    };

    // How a message went: delivered, not acknowledged, or cut by a fault placed at one of its
    // frames (nothing more of the answer is sent; an event or a hang-up may follow).
    enum class Sent { Delivered, Refused, Cut };
    enum class FrameResult { Acked, NotAcked, Cut };
    struct Cut {
        bool hang_up = false;
        std::optional<uint16_t> event;
    };

    void post(Work w);
    void run();
    void apply_control(const ControlCommand &c, ServiceOutput &out);
    bool wait_stoppable(std::chrono::milliseconds d);
    void deliver(const ServiceOutput &out);
    Sent send_message(const Outgoing &m);
    FrameResult send_frame(const uint8_t *frame, size_t size, bool resend,
                           const std::string &message, uint32_t segment);
    void count_frame(bool resend);

    HandsetLine &line_;
    AnswerMailbox &answers_;
    FaultPlan &faults_;
    Journal &journal_;
    RestartClock &restart_;
    const StopSignal &stop_;
    const ServiceSettings settings_;
    const std::function<void()> hang_up_;

    // Service thread only.
    DownloadService service_;
    std::vector<uint16_t> deferred_events_;
    Cut cut_;  // what the last cut message asks for

    std::mutex mutex_;
    std::condition_variable cv_;
    std::deque<Work> queue_;
    bool working_ = false;  // an item taken from the queue is being answered
    bool stopping_ = false;

    std::atomic<bool> reporting_{false};
    std::thread thread_;
};

}  // namespace handsim
