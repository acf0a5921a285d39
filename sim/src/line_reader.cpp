// The reader thread: bytes from the PC through the emulator's own frame receiver, the line faults
// applied to each good frame, ACK or NAK written back, and every complete message handed to the
// service loop. It also carries out a hang-up.
#include <poll.h>
#include <unistd.h>

#include <cerrno>

#include "emulator_impl.h"
#include "zemlo/wire/frame_format.h"

namespace handsim {

namespace wire = zemlo::wire;
using namespace std::chrono_literals;

namespace {
constexpr int kPollMs = 50;
constexpr size_t kReadChunk = 4096;
constexpr auto kHangUpPause = 200ms;
}  // namespace

void Emulator::Impl::write_answer(uint8_t byte) {
    {
        std::lock_guard lock(write_mutex);
        write_paced(&byte, 1);
    }
    if (byte == wire::kAck) {
        trace.ack(false);
    } else {
        trace.nak(false);
        count([](EmulatorStats &s) { ++s.naks_sent; });
    }
}

void Emulator::Impl::read_loop() {
    FrameReader receiver;
    SegmentAssembler assembler;
    bool reset_needed = false;
    uint8_t buffer[kReadChunk];
    while (!stop_flag) {
        if (hang_up_requested.exchange(false)) {
            hang_up();
            receiver.reset();
            assembler.reset();
            continue;
        }
        const int fd = line.fd();  // changed only by this thread
        pollfd fds[2] = {{fd, POLLIN, 0}, {stop_pipe[0], POLLIN, 0}};
        if (::poll(fds, 2, kPollMs) <= 0 || (fds[1].revents & POLLIN) != 0) {
            continue;
        }
        if ((fds[0].revents & (POLLIN | POLLHUP | POLLERR)) == 0) {
            continue;
        }
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n <= 0) {
            if (n < 0 && errno != EAGAIN && errno != EINTR) {
                std::this_thread::sleep_for(std::chrono::milliseconds(kPollMs));
            }
            continue;
        }
        const Clock::time_point seen = Clock::now();
        if (quiet()) {
            reset_needed = true;
            continue;
        }
        if (reset_needed) {
            receiver.reset();
            assembler.reset();
            reset_needed = false;
        }
        for (ssize_t i = 0; i < n && !stop_flag; ++i) {
            const Clock::time_point arrived = rx_pacer.arrival(seen);
            const auto event = receiver.take(buffer[i]);
            if (event == FrameReader::Event::None) {
                continue;
            }
            if (rx_pacer.paced()) {
                std::this_thread::sleep_until(arrived);
            }
            on_line_event(event, receiver, assembler);
        }
    }
}

void Emulator::Impl::on_line_event(FrameReader::Event event, const FrameReader &rx,
                                   SegmentAssembler &assembler) {
    using Event = FrameReader::Event;
    switch (event) {
        case Event::Ack:
        case Event::Nak: {
            const bool ack = event == Event::Ack;
            ack ? trace.ack(true) : trace.nak(true);
            {
                std::lock_guard lock(answer_mutex);
                answer = ack ? Answer::Ack : Answer::Nak;
            }
            answer_cv.notify_all();
            return;
        }
        case Event::BadChecksum:
        case Event::MissingEtx:
            count([](EmulatorStats &s) { ++s.frames_received; });
            trace.frame(true, rx.frame(), rx.frame_size(), false);
            write_answer(wire::kNak);
            return;
        case Event::Frame:
            break;
        case Event::None:
            return;
    }
    count([](EmulatorStats &s) { ++s.frames_received; });
    trace.frame(true, rx.frame(), rx.frame_size(), true);
    const FaultPlan::PcFrame fault = faults.on_pc_frame();
    if (fault == FaultPlan::PcFrame::Drop) {
        log("fault: frame dropped without ACK");
        return;
    }
    if (fault == FaultPlan::PcFrame::Nak) {
        log("fault: frame refused with NAK");
        write_answer(wire::kNak);
        return;
    }
    std::optional<PcMessage> complete;
    const auto verdict = assembler.push(rx.payload(), rx.payload_size(), &complete);
    write_answer(verdict == SegmentAssembler::Verdict::Refused ? wire::kNak : wire::kAck);
    if (complete) {
        trace.received(*complete);
        count([](EmulatorStats &s) { ++s.messages_received; });
        post(Work{false, std::move(*complete), {}});
    }
}

void Emulator::Impl::hang_up() {
    // Counted before the line goes, so whoever sees the line lost also sees the hang-up.
    count([](EmulatorStats &s) { ++s.hang_ups; });
    {
        std::lock_guard lock(write_mutex);
        change_line([this] { line.close(); });
    }
    log("hung up; the line comes back in a moment");
    {
        std::unique_lock lock(queue_mutex);
        queue_cv.wait_for(lock, kHangUpPause, [this] { return stopping; });
    }
    if (stop_flag) {
        return;
    }
    std::string error;
    std::lock_guard lock(write_mutex);
    change_line([this, &error] {
        if (!line.open(opt.link_path, &error)) {
            log("cannot reopen the line: " + error);
        }
    });
}

}  // namespace handsim
