// The emulator's start and stop, and the wiring of its three loops: the line reader
// (line_reader.cpp), the service loop (service_loop.cpp) and the control FIFO
// (control_channel.cpp). Each loop keeps its own state; they meet only through the line, the
// answer mailbox, the fault plan, the restart clock, the journal and the stop signal.
#include "handsim/emulator.h"

#include "answer_mailbox.h"
#include "control_channel.h"
#include "fault_plan.h"
#include "handset_line.h"
#include "journal.h"
#include "line_reader.h"
#include "media_store.h"
#include "restart_clock.h"
#include "sample_media.h"
#include "service_loop.h"
#include "stop_signal.h"

namespace handsim {

struct Emulator::Impl {
    explicit Impl(EmulatorOptions o)
        : opt(std::move(o)),
          store(opt.store_dir, opt.capacity),
          journal(opt.log),
          line(opt.baud, opt.adapter_latency),
          faults(opt.on_point),
          service(store, line, answers, faults, journal, restart, stop,
                  {opt.ack_timeout, opt.send_attempts, opt.restart_quiet},
                  [this] { reader.request_hang_up(); }),
          reader(
              line, answers, faults, journal, restart, stop, opt.link_path, opt.baud,
              {[this](PcMessage m, bool withhold) { service.post_message(std::move(m), withhold); },
               [this](uint16_t code) { service.post_event(code); }}),
          control(opt.control_path, stop, journal) {}

    EmulatorOptions opt;
    MediaStore store;
    Journal journal;
    StopSignal stop;
    HandsetLine line;
    AnswerMailbox answers;
    FaultPlan faults;
    RestartClock restart;
    ServiceLoop service;
    LineReader reader;
    ControlChannel control;
    bool started = false;
};

Emulator::Emulator(EmulatorOptions options) : impl_(std::make_unique<Impl>(std::move(options))) {}

Emulator::~Emulator() {
    stop();
}

const std::string &Emulator::link_path() const {
    return impl_->opt.link_path;
}

bool Emulator::reporting() const {
    return impl_->service.reporting();
}

std::vector<ExchangePoint> Emulator::exchange() const {
    return impl_->faults.exchange();
}

EmulatorStats Emulator::stats() const {
    return impl_->journal.stats();
}

bool Emulator::wait_idle(std::chrono::milliseconds timeout) const {
    return impl_->service.wait_idle(timeout);
}

bool Emulator::wait_messages_sent(uint64_t count, std::chrono::milliseconds timeout) const {
    return impl_->journal.wait_messages_sent(count, timeout);
}

bool Emulator::start(std::string *error) {
    Impl &d = *impl_;
    std::string local;
    std::string &why = error != nullptr ? *error : local;
    if (d.started) {
        why = "already started";
        return false;
    }
    if (d.opt.link_path.empty() || d.opt.store_dir.empty()) {
        why = "a link path and a store folder are needed";
        return false;
    }
    for (const auto &c : d.opt.controls) {
        std::string e;
        if (!control(c, &e)) {
            why = "bad fault or event option \"" + c + "\": " + e;
            return false;
        }
    }
    if (!d.store.open(&why)) {
        return false;
    }
    if (d.opt.seed && d.store.list(Folder::Picture).empty() &&
        d.store.list(Folder::Melody).empty()) {
        for (const auto &f : sample_media()) {
            d.store.keep(f.folder, f.name, f.bytes);
        }
    }
    if (!d.opt.trace_path.empty() && !d.journal.trace().open(d.opt.trace_path, &why)) {
        return false;
    }
    if (!d.opt.control_path.empty() && !d.control.open(&why)) {
        return false;
    }
    if (!d.stop.open(&why) || !d.line.open(d.opt.link_path, &why)) {
        return false;
    }
    d.started = true;
    d.reader.start();
    d.service.start();
    if (!d.opt.control_path.empty()) {
        d.control.start([this](std::string_view line, std::string *e) { return control(line, e); });
    }
    d.journal.log("serving on " + d.opt.link_path + " (" + d.line.slave_name() + "), store " +
                  d.opt.store_dir);
    return true;
}

void Emulator::stop() {
    Impl &d = *impl_;
    if (!d.started) {
        return;
    }
    d.started = false;
    d.stop.raise();
    d.answers.stop();
    d.service.stop();
    d.reader.join();
    d.control.close();
    d.line.close();
    d.stop.close();
}

bool Emulator::control(std::string_view line, std::string *error) {
    Impl &d = *impl_;
    const auto c = parse_control(line, error);
    if (!c) {
        return false;
    }
    // A line fault is the line's alone; everything else (Clear too) goes to the service loop.
    if (!d.faults.apply(*c)) {
        d.service.post_control(*c);
    }
    d.journal.log("control: " + std::string(line));
    return true;
}

}  // namespace handsim
