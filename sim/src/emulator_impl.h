// The emulator's shared state and its three threads, each loop in a file of its own:
// line_reader.cpp (the PC's frames in, ACK and NAK out, with the fault plan), service_loop.cpp
// (the download service's messages out, frame by frame) and control_channel.cpp (the FIFO that
// takes control commands). emulator.cpp starts and stops them.
#pragma once

#include <atomic>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "adapter_relay.h"
#include "control_command.h"
#include "download_service.h"
#include "fault_plan.h"
#include "frame_reader.h"
#include "handsim/emulator.h"
#include "media_store.h"
#include "pty_line.h"
#include "segment_codec.h"
#include "trace_log.h"

namespace handsim {

struct Emulator::Impl {
    explicit Impl(EmulatorOptions o)
        : opt(std::move(o)),
          store(opt.store_dir, opt.capacity),
          service(store),
          tx_pacer(opt.baud),
          rx_pacer(opt.baud) {}

    enum class Answer { None, Ack, Nak };

    // --- set once ---
    EmulatorOptions opt;
    MediaStore store;
    TraceLog trace;
    bool started = false;
    bool fifo_made = false;
    int stop_pipe[2] = {-1, -1};

    // --- worker thread only ---
    DownloadService service;
    std::vector<uint16_t> deferred_events;

    // --- the line: fd, writes and pacing ---
    std::mutex write_mutex;
    PtyLine line;
    LinePacer tx_pacer;
    LinePacer rx_pacer;                     // reader thread only
    std::unique_ptr<AdapterRelay> adapter;  // with an adapter latency: the only writer of the line

    // --- answers to the handset's frames ---
    std::mutex answer_mutex;
    std::condition_variable answer_cv;
    Answer answer = Answer::None;

    FaultPlan faults;

    // --- work for the service thread ---
    struct Work {
        bool is_control = false;
        PcMessage message;
        ControlCommand control;
    };
    std::mutex queue_mutex;
    std::condition_variable queue_cv;
    std::deque<Work> queue;
    bool stopping = false;

    std::atomic<bool> stop_flag{false};
    std::atomic<bool> hang_up_requested{false};
    std::atomic<int64_t> quiet_until{0};  // steady clock, nanoseconds
    std::atomic<bool> reporting{false};

    mutable std::mutex stats_mutex;
    mutable std::condition_variable stats_cv;
    EmulatorStats stats;
    std::mutex log_mutex;

    std::thread reader;
    std::thread worker;
    std::thread controller;

    void log(const std::string &text);

    template <class F>
    void count(F &&f) {
        {
            std::lock_guard lock(stats_mutex);
            f(stats);
        }
        stats_cv.notify_all();
    }

    bool quiet() const { return Clock::now().time_since_epoch().count() < quiet_until.load(); }

    // Caller holds write_mutex.
    bool write_line(const uint8_t *bytes, size_t n);
    bool write_paced(const uint8_t *bytes, size_t n);

    // Caller holds write_mutex. Runs a change of the line with no adapter write under way.
    template <class F>
    void change_line(F &&f) {
        if (adapter) {
            adapter->drop_held(f);
        } else {
            f();
        }
    }

    void post(Work w);

    // line_reader.cpp
    void read_loop();
    void on_line_event(FrameReader::Event event, const FrameReader &rx,
                       SegmentAssembler &assembler);
    void write_answer(uint8_t byte);
    void hang_up();

    // service_loop.cpp
    void work_loop();
    void apply_service_control(const ControlCommand &c, ServiceOutput &out);
    bool wait_stoppable(std::chrono::milliseconds d);
    void deliver(const ServiceOutput &out);
    bool send_message(const Outgoing &m);
    bool send_frame(const uint8_t *frame, size_t size, bool resend);

    // control_channel.cpp
    bool open_fifo(std::string *error);
    void control_loop(Emulator *owner);
};

}  // namespace handsim
