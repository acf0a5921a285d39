#include "line_reader.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>

#include "exchange_point.h"
#include "zemlo/wire/frame_format.h"

namespace handsim {

namespace wire = zemlo::wire;
using namespace std::chrono_literals;

namespace {
constexpr int kPollMs = 50;
constexpr size_t kReadChunk = 4096;
constexpr auto kHangUpPause = 200ms;
}  // namespace

LineReader::LineReader(HandsetLine &line, AnswerMailbox &answers, FaultPlan &faults,
                       Journal &journal, const RestartClock &restart, const StopSignal &stop,
                       std::string link_path, uint32_t baud, ReaderOutput output)
    : line_(line),
      answers_(answers),
      faults_(faults),
      journal_(journal),
      restart_(restart),
      stop_(stop),
      link_path_(std::move(link_path)),
      output_(std::move(output)),
      pacer_(baud) {}

LineReader::~LineReader() {
    join();
}

void LineReader::start() {
    thread_ = std::thread([this] { run(); });
}

void LineReader::join() {
    if (thread_.joinable()) {
        thread_.join();
    }
}

void LineReader::write_answer(uint8_t byte) {
    line_.write(&byte, 1);
    if (byte == wire::kAck) {
        journal_.trace().ack(false);
    } else {
        journal_.trace().nak(false);
        journal_.count([](EmulatorStats &s) { ++s.naks_sent; });
    }
}

void LineReader::run() {
    FrameReader receiver;
    SegmentAssembler assembler;
    bool reset_needed = false;
    uint8_t buffer[kReadChunk];
    while (!stop_.raised()) {
        if (hang_up_requested_.exchange(false)) {
            hang_up();
            receiver.reset();
            assembler.reset();
            continue;
        }
        const int fd = line_.fd();  // changed only by this thread
        pollfd fds[2] = {{fd, POLLIN, 0}, {stop_.fd(), POLLIN, 0}};
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
        if (restart_.quiet()) {
            reset_needed = true;
            continue;
        }
        if (reset_needed) {
            receiver.reset();
            assembler.reset();
            reset_needed = false;
        }
        for (ssize_t i = 0; i < n && !stop_.raised(); ++i) {
            const Clock::time_point arrived = pacer_.arrival(seen);
            const auto event = receiver.take(buffer[i]);
            if (event == FrameReader::Event::None) {
                continue;
            }
            if (pacer_.paced()) {
                std::this_thread::sleep_until(arrived);
            }
            on_line_event(event, receiver, assembler);
            if (hang_up_requested_) {
                break;  // what else was read went with the line
            }
        }
    }
}

void LineReader::on_line_event(FrameReader::Event event, const FrameReader &rx,
                               SegmentAssembler &assembler) {
    using Event = FrameReader::Event;
    switch (event) {
        case Event::Ack:
        case Event::Nak: {
            const bool ack = event == Event::Ack;
            ack ? journal_.trace().ack(true) : journal_.trace().nak(true);
            answers_.post(ack ? AnswerMailbox::Answer::Ack : AnswerMailbox::Answer::Nak);
            return;
        }
        case Event::BadChecksum:
        case Event::MissingEtx:
            journal_.count([](EmulatorStats &s) { ++s.frames_received; });
            journal_.trace().frame(true, rx.frame(), rx.frame_size(), false);
            write_answer(wire::kNak);
            return;
        case Event::Frame:
            break;
        case Event::None:
            return;
    }
    journal_.count([](EmulatorStats &s) { ++s.frames_received; });
    journal_.trace().frame(true, rx.frame(), rx.frame_size(), true);
    name_frame(rx);
    const FaultPlan::PcFrameFaults fault = faults_.on_pc_frame(pc_message_, pc_segment_);
    if (fault.placed) {
        const uint32_t argument = fault.placed->argument;
        switch (fault.placed->fault) {
            case PointFault::Drop:
                journal_.log("fault: frame lost on the line");
                return;
            case PointFault::Damage:
                // What the PC sent arrives with a byte changed: the checksum no longer matches.
                journal_.log("fault: frame damaged on the line");
                write_answer(wire::kNak);
                return;
            case PointFault::Nak:
                journal_.log("fault: frame refused with NAK");
                write_answer(wire::kNak);
                return;
            case PointFault::HangUp:
                journal_.log("fault: line lost with this frame");
                hang_up_requested_ = true;
                return;
            case PointFault::Event:
                journal_.log("fault: event " + std::to_string(argument) + " before this frame");
                output_.event(static_cast<uint16_t>(argument));
                break;
            case PointFault::Withhold:
                journal_.log("fault: the answer to this message is withheld");
                withhold_next_ = true;
                break;
            case PointFault::Delay:
                journal_.log("fault: frame delayed " + std::to_string(argument) + " ms");
                if (!stop_.wait_for(std::chrono::milliseconds(argument))) {
                    return;
                }
                break;
            case PointFault::Twice:
                journal_.log("fault: frame arrives twice");
                take(rx, assembler, true);
                break;
            case PointFault::LoseAck:
                journal_.log("fault: the ACK of this frame is lost");
                take(rx, assembler, false);
                return;
        }
    } else if (fault.frame == FaultPlan::PcFrame::Drop) {
        journal_.log("fault: frame dropped without ACK");
        return;
    } else if (fault.frame == FaultPlan::PcFrame::Nak) {
        journal_.log("fault: frame refused with NAK");
        write_answer(wire::kNak);
        return;
    }
    take(rx, assembler, true);
}

void LineReader::take(const FrameReader &rx, SegmentAssembler &assembler, bool ack) {
    std::optional<PcMessage> complete;
    const auto verdict = assembler.push(rx.payload(), rx.payload_size(), &complete);
    if (ack) {
        write_answer(verdict == SegmentAssembler::Verdict::Refused ? wire::kNak : wire::kAck);
    }
    if (complete) {
        journal_.trace().received(*complete);
        journal_.count([](EmulatorStats &s) { ++s.messages_received; });
        output_.message(std::move(*complete), withhold_next_);
        withhold_next_ = false;
    }
}

void LineReader::name_frame(const FrameReader &rx) {
    const uint8_t *payload = rx.payload();
    const size_t size = rx.payload_size();
    const bool last = size >= 2 && payload[1] == wire::kLastSequence;
    const bool first = size >= 2 && (payload[1] == 0 || !pc_in_message_);
    if (first) {
        pc_message_ = describe_pc_segment(payload, size).value_or("segment");
        pc_segment_ = 0;
    } else {
        ++pc_segment_;
    }
    pc_in_message_ = !last;
}

void LineReader::hang_up() {
    // Counted before the line goes, so whoever sees the line lost also sees the hang-up.
    journal_.count([](EmulatorStats &s) { ++s.hang_ups; });
    line_.hang_up();
    journal_.log("hung up; the line comes back in a moment");
    if (!stop_.wait_for(kHangUpPause)) {
        return;
    }
    std::string error;
    if (!line_.reopen(link_path_, &error)) {
        journal_.log("cannot reopen the line: " + error);
    }
}

}  // namespace handsim
