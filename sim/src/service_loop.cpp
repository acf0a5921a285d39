#include "service_loop.h"

#include <algorithm>

#include "exchange_point.h"
#include "zemlo/handset_records.h"
#include "zemlo/wire/frame_codec.h"

namespace handsim {

namespace rec = zemlo::records;
namespace wire = zemlo::wire;

ServiceLoop::ServiceLoop(MediaStore &store, HandsetLine &line, AnswerMailbox &answers,
                         FaultPlan &faults, Journal &journal, RestartClock &restart,
                         const StopSignal &stop, ServiceSettings settings,
                         std::function<void()> hang_up)
    : line_(line),
      answers_(answers),
      faults_(faults),
      journal_(journal),
      restart_(restart),
      stop_(stop),
      settings_(settings),
      hang_up_(std::move(hang_up)),
      service_(store) {}

ServiceLoop::~ServiceLoop() {
    stop();
}

void ServiceLoop::start() {
    thread_ = std::thread([this] { run(); });
}

void ServiceLoop::stop() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    cv_.notify_all();
    if (thread_.joinable()) {
        thread_.join();
    }
}

void ServiceLoop::post(Work w) {
    {
        std::lock_guard lock(mutex_);
        queue_.push_back(std::move(w));
    }
    cv_.notify_all();
}

void ServiceLoop::post_message(PcMessage message, bool withhold) {
    post(Work{false, std::move(message), {}, withhold});
}

void ServiceLoop::post_event(uint16_t code) {
    ControlCommand c;
    c.kind = ControlCommand::Kind::Event;
    c.number = code;
    post_control(c);
}

void ServiceLoop::post_control(const ControlCommand &command) {
    post(Work{true, {}, command});
}

void ServiceLoop::run() {
    for (;;) {
        Work w;
        {
            std::unique_lock lock(mutex_);
            cv_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
            if (stopping_) {
                return;
            }
            w = std::move(queue_.front());
            queue_.pop_front();
            working_ = true;
        }
        ServiceOutput out;
        if (w.is_control) {
            apply_control(w.control, out);
        } else {
            out = service_.on_message(w.message);
            if (w.withhold && !out.messages.empty()) {
                journal_.log("fault: " + std::to_string(out.messages.size()) +
                             " messages of the answer withheld");
                out.messages.clear();
            }
        }
        reporting_ = service_.reporting();
        deliver(out);
        if (service_.reporting() && !deferred_events_.empty()) {
            const auto events = std::move(deferred_events_);
            deferred_events_.clear();
            for (uint16_t code : events) {
                deliver(service_.event(code));
            }
        }
        {
            std::lock_guard lock(mutex_);
            working_ = false;
        }
        cv_.notify_all();
    }
}

bool ServiceLoop::wait_idle(std::chrono::milliseconds timeout) {
    std::unique_lock lock(mutex_);
    return cv_.wait_for(lock, timeout,
                        [this] { return stopping_ || (queue_.empty() && !working_); });
}

void ServiceLoop::apply_control(const ControlCommand &c, ServiceOutput &out) {
    using Kind = ControlCommand::Kind;
    switch (c.kind) {
        case Kind::Event:
            if (c.after != 0) {
                service_.arm_event(static_cast<uint16_t>(c.number), c.after);
            } else if (!service_.reporting()) {
                deferred_events_.push_back(static_cast<uint16_t>(c.number));
            } else {
                out = service_.event(static_cast<uint16_t>(c.number));
            }
            break;
        case Kind::Silent:
        case Kind::Answer:
            service_.set_silent(c.command, c.kind == Kind::Silent);
            break;
        case Kind::InUse:
        case Kind::Release:
            service_.set_in_use(c.name, c.kind == Kind::InUse);
            break;
        case Kind::Format:
            service_.set_format_fault(c.format);
            break;
        case Kind::HangUpAfter:
            service_.arm_hang_up(static_cast<uint16_t>(c.number));
            break;
        case Kind::StartPackets:
            if (c.on) {
                service_.set_starts_before_listing(c.number);
            } else if (service_.reporting()) {
                out = service_.unsolicited_starts(c.number);
            }
            break;
        case Kind::Storage:
            service_.set_storage(c.on ? std::optional<rec::StorageDescription>(
                                            rec::StorageDescription{2, 0, c.number, c.second})
                                      : std::nullopt);
            break;
        case Kind::ListingName:
            service_.set_listing_name(c.on ? c.name : std::string());
            break;
        case Kind::Clear:
            service_.clear_faults();
            deferred_events_.clear();
            break;
        default:
            break;
    }
}

bool ServiceLoop::wait_stoppable(std::chrono::milliseconds d) {
    std::unique_lock lock(mutex_);
    return !cv_.wait_for(lock, d, [this] { return stopping_; });
}

void ServiceLoop::deliver(const ServiceOutput &out) {
    for (const auto &note : out.notes) {
        journal_.log(note);
    }
    for (const auto &m : out.messages) {
        const uint32_t delay = faults_.delay_ms();
        if (delay != 0 && !wait_stoppable(std::chrono::milliseconds(delay))) {
            return;
        }
        const Sent sent = send_message(m);
        if (sent == Sent::Refused) {
            break;  // the PC did not take it; what follows would make no sense to it
        }
        if (sent == Sent::Cut) {
            const Cut cut = cut_;
            if (cut.event) {
                deliver(service_.event(*cut.event));
            }
            if (cut.hang_up) {
                hang_up_();
            }
            break;
        }
    }
    if (out.hang_up) {
        hang_up_();
    }
    if (out.restart) {
        service_.restarted();
        reporting_ = false;
        restart_.restart(settings_.restart_quiet);
        journal_.count([](EmulatorStats &s) { ++s.restarts; });
    }
}

ServiceLoop::Sent ServiceLoop::send_message(const Outgoing &m) {
    const Bytes message = long_header_message(rec::kQndlwTaskId, rec::kEmmiLowPriTaskId,
                                              m.signal_id, m.body.data(), m.body.size());
    const std::string words = describe_handset_message(m.signal_id, m.body);
    uint32_t segment = 0;
    for (const Bytes &seg : split_long_header(message)) {
        uint8_t frame[wire::kMaxFramePayload + wire::kFrameOverhead];
        const size_t size = wire::encode_frame(seg.data(), seg.size(), frame);
        bool delivered = false;
        for (unsigned attempt = 1; attempt <= settings_.send_attempts && !stop_.raised();
             ++attempt) {
            const FrameResult r = send_frame(frame, size, attempt > 1, words, segment);
            if (r == FrameResult::Cut) {
                return Sent::Cut;
            }
            if (r == FrameResult::Acked) {
                delivered = true;
                break;
            }
        }
        if (!delivered) {
            journal_.log("message abandoned: the PC did not acknowledge its frame");
            return Sent::Refused;
        }
        ++segment;
    }
    journal_.trace().sent(message);
    journal_.count([](EmulatorStats &s) { ++s.messages_sent; });
    return Sent::Delivered;
}

void ServiceLoop::count_frame(bool resend) {
    journal_.count([resend](EmulatorStats &s) {
        ++s.frames_sent;
        s.resends += resend ? 1 : 0;
    });
}

ServiceLoop::FrameResult ServiceLoop::send_frame(const uint8_t *frame, size_t size, bool resend,
                                                 const std::string &message, uint32_t segment) {
    uint8_t bytes[wire::kMaxFramePayload + wire::kFrameOverhead];
    std::copy(frame, frame + size, bytes);
    const FaultPlan::OwnFrame fault = faults_.on_own_frame(message, segment);
    bool corrupt = fault.corrupt;
    bool twice = false;
    bool read_as_nak = false;
    bool ack_lost = false;
    bool lost = false;
    if (fault.placed) {
        const uint32_t argument = fault.placed->argument;
        switch (fault.placed->fault) {
            case PointFault::Withhold:
                journal_.log("fault: " + message + " withheld");
                cut_ = {};
                return FrameResult::Cut;
            case PointFault::Event:
                journal_.log("fault: event " + std::to_string(argument) + " instead of " + message);
                cut_ = {false, static_cast<uint16_t>(argument)};
                return FrameResult::Cut;
            case PointFault::HangUp:
                journal_.log("fault: line lost before " + message);
                cut_ = {true, std::nullopt};
                return FrameResult::Cut;
            case PointFault::Drop:
                journal_.log("fault: handset frame lost on the line");
                lost = true;
                break;
            case PointFault::Damage:
                corrupt = true;
                break;
            case PointFault::Twice:
                journal_.log("fault: handset frame sent twice");
                twice = true;
                break;
            case PointFault::Delay:
                journal_.log("fault: handset frame delayed " + std::to_string(argument) + " ms");
                if (!wait_stoppable(std::chrono::milliseconds(argument))) {
                    return FrameResult::NotAcked;
                }
                break;
            case PointFault::Nak:
                journal_.log("fault: the PC's ACK arrives as a NAK");
                read_as_nak = true;
                break;
            case PointFault::LoseAck:
                journal_.log("fault: the PC's ACK is lost");
                ack_lost = true;
                break;
        }
    }
    if (corrupt) {
        bytes[size - 2] ^= 0xFF;  // the checksum byte, just before ETX
        journal_.log("fault: bad checksum in a handset frame");
    }
    answers_.clear();
    if (!lost) {
        line_.write(bytes, size, fault.noise.data(), fault.noise_count);
        journal_.trace().frame(false, bytes, size, !corrupt);
        if (twice) {
            line_.write(bytes, size);
            journal_.trace().frame(false, bytes, size, !corrupt);
        }
    }
    count_frame(resend);
    if (ack_lost) {
        wait_stoppable(settings_.ack_timeout);
        return FrameResult::NotAcked;
    }
    const AnswerMailbox::Answer answer = answers_.wait(settings_.ack_timeout);
    return answer == AnswerMailbox::Answer::Ack && !read_as_nak ? FrameResult::Acked
                                                                : FrameResult::NotAcked;
}

}  // namespace handsim
