// The service thread: each message from the PC or control command taken in turn by the download
// service, and what it answers sent as long-header messages, one acknowledged frame at a time.
#include <algorithm>

#include "emulator_impl.h"
#include "zemlo/handset_records.h"
#include "zemlo/wire/frame_codec.h"

namespace handsim {

namespace rec = zemlo::records;
namespace wire = zemlo::wire;

void Emulator::Impl::work_loop() {
    for (;;) {
        Work w;
        {
            std::unique_lock lock(queue_mutex);
            queue_cv.wait(lock, [this] { return stopping || !queue.empty(); });
            if (stopping) {
                return;
            }
            w = std::move(queue.front());
            queue.pop_front();
        }
        ServiceOutput out;
        if (w.is_control) {
            apply_service_control(w.control, out);
        } else {
            out = service.on_message(w.message);
        }
        reporting = service.reporting();
        deliver(out);
        if (service.reporting() && !deferred_events.empty()) {
            const auto events = std::move(deferred_events);
            deferred_events.clear();
            for (uint16_t code : events) {
                deliver(service.event(code));
            }
        }
    }
}

void Emulator::Impl::apply_service_control(const ControlCommand &c, ServiceOutput &out) {
    using Kind = ControlCommand::Kind;
    switch (c.kind) {
        case Kind::Event:
            if (c.after != 0) {
                service.arm_event(static_cast<uint16_t>(c.number), c.after);
            } else if (!service.reporting()) {
                deferred_events.push_back(static_cast<uint16_t>(c.number));
            } else {
                out = service.event(static_cast<uint16_t>(c.number));
            }
            break;
        case Kind::Silent:
        case Kind::Answer:
            service.set_silent(c.command, c.kind == Kind::Silent);
            break;
        case Kind::InUse:
        case Kind::Release:
            service.set_in_use(c.name, c.kind == Kind::InUse);
            break;
        case Kind::Format:
            service.set_format_fault(c.format);
            break;
        case Kind::HangUpAfter:
            service.arm_hang_up(static_cast<uint16_t>(c.number));
            break;
        case Kind::StartPackets:
            if (c.on) {
                service.set_starts_before_listing(c.number);
            } else if (service.reporting()) {
                out = service.unsolicited_starts(c.number);
            }
            break;
        case Kind::Storage:
            service.set_storage(c.on ? std::optional<rec::StorageDescription>(
                                           rec::StorageDescription{2, 0, c.number, c.second})
                                     : std::nullopt);
            break;
        case Kind::ListingName:
            service.set_listing_name(c.on ? c.name : std::string());
            break;
        case Kind::Clear:
            service.clear_faults();
            deferred_events.clear();
            break;
        default:
            break;
    }
}

bool Emulator::Impl::wait_stoppable(std::chrono::milliseconds d) {
    std::unique_lock lock(queue_mutex);
    return !queue_cv.wait_for(lock, d, [this] { return stopping; });
}

void Emulator::Impl::deliver(const ServiceOutput &out) {
    for (const auto &note : out.notes) {
        log(note);
    }
    for (const auto &m : out.messages) {
        const uint32_t delay = faults.delay_ms();
        if (delay != 0 && !wait_stoppable(std::chrono::milliseconds(delay))) {
            return;
        }
        if (!send_message(m)) {
            break;  // the PC did not take it; what follows would make no sense to it
        }
    }
    if (out.hang_up) {
        hang_up_requested = true;
    }
    if (out.restart) {
        service.restarted();
        reporting = false;
        quiet_until = (Clock::now() + opt.restart_quiet).time_since_epoch().count();
        count([](EmulatorStats &s) { ++s.restarts; });
    }
}

bool Emulator::Impl::send_message(const Outgoing &m) {
    const Bytes message = long_header_message(rec::kQndlwTaskId, rec::kEmmiLowPriTaskId,
                                              m.signal_id, m.body.data(), m.body.size());
    for (const Bytes &segment : split_long_header(message)) {
        uint8_t frame[wire::kMaxFramePayload + wire::kFrameOverhead];
        const size_t size = wire::encode_frame(segment.data(), segment.size(), frame);
        bool delivered = false;
        for (unsigned attempt = 1; attempt <= opt.send_attempts && !stop_flag; ++attempt) {
            if (send_frame(frame, size, attempt > 1)) {
                delivered = true;
                break;
            }
        }
        if (!delivered) {
            log("message abandoned: the PC did not acknowledge its frame");
            return false;
        }
    }
    trace.sent(message);
    count([](EmulatorStats &s) { ++s.messages_sent; });
    return true;
}

bool Emulator::Impl::send_frame(const uint8_t *frame, size_t size, bool resend) {
    uint8_t bytes[wire::kMaxFramePayload + wire::kFrameOverhead];
    std::copy(frame, frame + size, bytes);
    const FaultPlan::OwnFrame fault = faults.on_own_frame();
    const bool corrupt = fault.corrupt;
    if (corrupt) {
        bytes[size - 2] ^= 0xFF;  // the checksum byte, just before ETX
        log("fault: bad checksum in a handset frame");
    }
    {
        std::lock_guard lock(answer_mutex);
        answer = Answer::None;
    }
    {
        std::lock_guard lock(write_mutex);
        if (fault.noise_count != 0) {
            write_paced(fault.noise.data(), fault.noise_count);
        }
        write_paced(bytes, size);
    }
    trace.frame(false, bytes, size, !corrupt);
    count([resend](EmulatorStats &s) {
        ++s.frames_sent;
        s.resends += resend ? 1 : 0;
    });
    std::unique_lock lock(answer_mutex);
    answer_cv.wait_for(lock, opt.ack_timeout,
                       [this] { return answer != Answer::None || stop_flag; });
    return answer == Answer::Ack;
}

}  // namespace handsim
