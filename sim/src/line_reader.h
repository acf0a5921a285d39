// The reader thread: bytes from the PC through the emulator's own frame receiver, the line faults
// applied to each good frame, ACK or NAK written back, and every complete message handed on. It
// alone reads the line, and it carries out a hang-up that another loop asks for.
#pragma once

#include <atomic>
#include <functional>
#include <string>
#include <thread>

#include "answer_mailbox.h"
#include "fault_plan.h"
#include "frame_reader.h"
#include "handset_line.h"
#include "journal.h"
#include "restart_clock.h"
#include "segment_codec.h"
#include "stop_signal.h"

namespace handsim {

// Where the reader's messages go (the service loop).
struct ReaderOutput {
    // A complete message from the PC; withhold: the handset answers it with nothing.
    std::function<void(PcMessage, bool withhold)> message;
    // A handset event placed before a frame from the PC.
    std::function<void(uint16_t code)> event;
};

class LineReader {
  public:
    LineReader(HandsetLine &line, AnswerMailbox &answers, FaultPlan &faults, Journal &journal,
               const RestartClock &restart, const StopSignal &stop, std::string link_path,
               uint32_t baud, ReaderOutput output);
    ~LineReader();
    LineReader(const LineReader &) = delete;
    LineReader &operator=(const LineReader &) = delete;

    void start();
    // Waits for the thread, which ends once the stop signal is raised.
    void join();

    // Closes the line at the reader's next turn; a new one is linked a moment later.
    void request_hang_up() { hang_up_requested_ = true; }

  private:
    void run();
    void on_line_event(FrameReader::Event event, const FrameReader &rx,
                       SegmentAssembler &assembler);
    // A good frame from the PC, acted on (and acknowledged unless ack is false).
    void take(const FrameReader &rx, SegmentAssembler &assembler, bool ack);
    // Names the PC's frame for the exchange: a first segment by its message, a later one by the
    // message under way.
    void name_frame(const FrameReader &rx);
    void write_answer(uint8_t byte);
    void hang_up();

    HandsetLine &line_;
    AnswerMailbox &answers_;
    FaultPlan &faults_;
    Journal &journal_;
    const RestartClock &restart_;
    const StopSignal &stop_;
    const std::string link_path_;
    const ReaderOutput output_;

    // Reader thread only.
    LinePacer pacer_;
    std::string pc_message_;  // what the PC's message under way is
    uint32_t pc_segment_ = 0;
    bool pc_in_message_ = false;
    bool withhold_next_ = false;  // the next complete message gets no answer

    std::atomic<bool> hang_up_requested_{false};
    std::thread thread_;
};

}  // namespace handsim
