#include "handsim/emulator.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <mutex>
#include <random>
#include <thread>

#include "adapter_relay.h"
#include "control_command.h"
#include "download_service.h"
#include "frame_reader.h"
#include "media_store.h"
#include "pty_line.h"
#include "sample_media.h"
#include "segment_codec.h"
#include "trace_log.h"
#include "zemlo/wire/frame_codec.h"

namespace handsim {

namespace rec = zemlo::records;
namespace wire = zemlo::wire;
using namespace std::chrono_literals;

namespace {
constexpr int kPollMs = 50;
constexpr size_t kReadChunk = 4096;
constexpr size_t kPacedChunk = 16;  // bytes written at once on a paced line
constexpr auto kHangUpPause = 200ms;
constexpr size_t kMaxNoiseBytes = 6;
constexpr size_t kMaxControlLine = 512;

// Noise never forms a frame start or an answer, so the PC's receiver skips it between frames.
bool noise_safe(uint8_t b) {
    return b != wire::kStx && b != wire::kAck && b != wire::kNak;
}

enum class Answer { None, Ack, Nak };
}  // namespace

struct Emulator::Impl {
    explicit Impl(EmulatorOptions o)
        : opt(std::move(o)),
          store(opt.store_dir, opt.capacity),
          service(store),
          tx_pacer(opt.baud),
          rx_pacer(opt.baud) {}

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

    // --- line faults ---
    std::mutex fault_mutex;
    uint32_t nak_every = 0;
    uint32_t frames_for_nak = 0;
    uint32_t drop_ack_at = 0;
    uint32_t frames_for_drop = 0;
    uint32_t bad_checksum_at = 0;
    uint32_t own_frames = 0;
    uint32_t delay_ms = 0;
    bool noise = false;
    std::minstd_rand rng{0x5eed};

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

    void log(const std::string &text) {
        trace.note(text);
        if (opt.log) {
            std::lock_guard lock(log_mutex);
            opt.log(text);
        }
    }

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
    bool write_line(const uint8_t *bytes, size_t n) {
        if (adapter) {
            adapter->hold(bytes, n);
            return true;
        }
        return line.write_all(bytes, n);
    }

    // Caller holds write_mutex.
    bool write_paced(const uint8_t *bytes, size_t n) {
        if (!tx_pacer.paced()) {
            return write_line(bytes, n);
        }
        const Clock::time_point start = tx_pacer.reserve(n);
        for (size_t i = 0; i < n; i += kPacedChunk) {
            const size_t chunk = std::min(kPacedChunk, n - i);
            // An adapter counts a byte from when it has come in whole.
            const size_t at = adapter ? i + chunk : i;
            std::this_thread::sleep_until(start + tx_pacer.byte_time() * static_cast<int64_t>(at));
            if (!write_line(bytes + i, chunk)) {
                return false;
            }
        }
        return true;
    }

    // Caller holds write_mutex. Runs a change of the line with no adapter write under way.
    template <class F>
    void change_line(F &&f) {
        if (adapter) {
            adapter->drop_held(f);
        } else {
            f();
        }
    }

    void write_answer(uint8_t byte) {
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

    void post(Work w) {
        {
            std::lock_guard lock(queue_mutex);
            queue.push_back(std::move(w));
        }
        queue_cv.notify_one();
    }

    // ---------------------------------------------------------------- reader thread
    void read_loop() {
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

    void on_line_event(FrameReader::Event event, const FrameReader &rx,
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
        bool nak = false;
        bool drop = false;
        {
            std::lock_guard lock(fault_mutex);
            ++frames_for_nak;
            ++frames_for_drop;
            nak = nak_every != 0 && frames_for_nak % nak_every == 0;
            if (!nak && drop_ack_at != 0 && frames_for_drop == drop_ack_at) {
                drop = true;
                drop_ack_at = 0;
            }
        }
        if (drop) {
            log("fault: frame dropped without ACK");
            return;
        }
        if (nak) {
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

    void hang_up() {
        {
            std::lock_guard lock(write_mutex);
            change_line([this] { line.close(); });
        }
        count([](EmulatorStats &s) { ++s.hang_ups; });
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

    // ---------------------------------------------------------------- service thread
    void work_loop() {
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

    void apply_service_control(const ControlCommand &c, ServiceOutput &out) {
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

    bool wait_stoppable(std::chrono::milliseconds d) {
        std::unique_lock lock(queue_mutex);
        return !queue_cv.wait_for(lock, d, [this] { return stopping; });
    }

    void deliver(const ServiceOutput &out) {
        for (const auto &note : out.notes) {
            log(note);
        }
        for (const auto &m : out.messages) {
            uint32_t delay = 0;
            {
                std::lock_guard lock(fault_mutex);
                delay = delay_ms;
            }
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

    bool send_message(const Outgoing &m) {
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

    bool send_frame(const uint8_t *frame, size_t size, bool resend) {
        uint8_t bytes[wire::kMaxFramePayload + wire::kFrameOverhead];
        std::copy(frame, frame + size, bytes);
        uint8_t noise_bytes[kMaxNoiseBytes];
        size_t noise_count = 0;
        bool corrupt = false;
        {
            std::lock_guard lock(fault_mutex);
            ++own_frames;
            if (bad_checksum_at != 0 && own_frames == bad_checksum_at) {
                corrupt = true;
                bad_checksum_at = 0;
            }
            if (noise) {
                noise_count = 1 + rng() % kMaxNoiseBytes;
                for (size_t i = 0; i < noise_count; ++i) {
                    uint8_t b = 0;
                    do {
                        b = static_cast<uint8_t>(rng());
                    } while (!noise_safe(b));
                    noise_bytes[i] = b;
                }
            }
        }
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
            if (noise_count != 0) {
                write_paced(noise_bytes, noise_count);
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

    // ---------------------------------------------------------------- control FIFO
    bool open_fifo(std::string *error) {
        struct stat st {};
        if (::lstat(opt.control_path.c_str(), &st) == 0) {
            if (!S_ISFIFO(st.st_mode)) {
                *error = opt.control_path + " exists and is not a FIFO";
                return false;
            }
        } else if (::mkfifo(opt.control_path.c_str(), 0600) != 0) {
            *error = "cannot make the FIFO " + opt.control_path + ": " + std::strerror(errno);
            return false;
        } else {
            fifo_made = true;
        }
        return true;
    }

    void control_loop(Emulator *owner) {
        // Opened for writing too, so that a writer closing its end never leaves us at end-of-file.
        const int fd = ::open(opt.control_path.c_str(), O_RDWR | O_NONBLOCK);
        if (fd < 0) {
            log("cannot open the FIFO " + opt.control_path);
            return;
        }
        std::string pending;
        char buffer[kMaxControlLine];
        while (!stop_flag) {
            pollfd fds[2] = {{fd, POLLIN, 0}, {stop_pipe[0], POLLIN, 0}};
            if (::poll(fds, 2, -1) <= 0 || (fds[1].revents & POLLIN) != 0) {
                continue;
            }
            const ssize_t n = ::read(fd, buffer, sizeof buffer);
            if (n <= 0) {
                continue;
            }
            pending.append(buffer, static_cast<size_t>(n));
            size_t cut;
            while ((cut = pending.find('\n')) != std::string::npos) {
                const std::string line = pending.substr(0, cut);
                pending.erase(0, cut + 1);
                std::string error;
                if (!line.empty() && !owner->control(line, &error)) {
                    log("control: " + error);
                }
            }
            if (pending.size() > kMaxControlLine) {
                log("control: line too long, dropped");
                pending.clear();
            }
        }
        ::close(fd);
    }
};

Emulator::Emulator(EmulatorOptions options) : impl_(std::make_unique<Impl>(std::move(options))) {}

Emulator::~Emulator() {
    stop();
}

const std::string &Emulator::link_path() const {
    return impl_->opt.link_path;
}

bool Emulator::reporting() const {
    return impl_->reporting;
}

EmulatorStats Emulator::stats() const {
    std::lock_guard lock(impl_->stats_mutex);
    return impl_->stats;
}

bool Emulator::wait_messages_sent(uint64_t count, std::chrono::milliseconds timeout) const {
    std::unique_lock lock(impl_->stats_mutex);
    return impl_->stats_cv.wait_for(lock, timeout,
                                    [&] { return impl_->stats.messages_sent >= count; });
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
    if (!d.opt.trace_path.empty() && !d.trace.open(d.opt.trace_path, &why)) {
        return false;
    }
    if (!d.opt.control_path.empty() && !d.open_fifo(&why)) {
        return false;
    }
    if (::pipe2(d.stop_pipe, O_CLOEXEC) != 0) {
        why = std::string("cannot make a pipe: ") + std::strerror(errno);
        return false;
    }
    {
        std::lock_guard lock(d.write_mutex);
        if (!d.line.open(d.opt.link_path, &why)) {
            return false;
        }
    }
    if (d.opt.adapter_latency.count() > 0) {
        d.adapter = std::make_unique<AdapterRelay>(
            d.opt.adapter_latency,
            [&d](const uint8_t *bytes, size_t n) { return d.line.write_all(bytes, n); });
        d.adapter->start();
    }
    d.started = true;
    d.reader = std::thread([&d] { d.read_loop(); });
    d.worker = std::thread([&d] { d.work_loop(); });
    if (!d.opt.control_path.empty()) {
        d.controller = std::thread([&d, this] { d.control_loop(this); });
    }
    d.log("serving on " + d.opt.link_path + " (" + d.line.slave_name() + "), store " +
          d.opt.store_dir);
    return true;
}

void Emulator::stop() {
    Impl &d = *impl_;
    if (!d.started) {
        return;
    }
    d.started = false;
    d.stop_flag = true;
    {
        std::lock_guard lock(d.queue_mutex);
        d.stopping = true;
    }
    d.queue_cv.notify_all();
    { std::lock_guard lock(d.answer_mutex); }
    d.answer_cv.notify_all();
    const uint8_t wake = 1;
    [[maybe_unused]] const ssize_t n = ::write(d.stop_pipe[1], &wake, 1);
    for (std::thread *t : {&d.reader, &d.worker, &d.controller}) {
        if (t->joinable()) {
            t->join();
        }
    }
    if (d.adapter) {
        d.adapter->stop();
    }
    {
        std::lock_guard lock(d.write_mutex);
        d.line.close();
    }
    if (d.fifo_made) {
        ::unlink(d.opt.control_path.c_str());
        d.fifo_made = false;
    }
    for (int &fd : d.stop_pipe) {
        if (fd >= 0) {
            ::close(fd);
            fd = -1;
        }
    }
}

bool Emulator::control(std::string_view line, std::string *error) {
    Impl &d = *impl_;
    const auto c = parse_control(line, error);
    if (!c) {
        return false;
    }
    using Kind = ControlCommand::Kind;
    {
        std::lock_guard lock(d.fault_mutex);
        switch (c->kind) {
            case Kind::NakEvery:
                d.nak_every = c->number;
                d.frames_for_nak = 0;
                break;
            case Kind::DropAck:
                d.drop_ack_at = c->number;
                d.frames_for_drop = 0;
                break;
            case Kind::BadChecksum:
                d.bad_checksum_at = c->number;
                d.own_frames = 0;
                break;
            case Kind::Delay:
                d.delay_ms = c->number;
                break;
            case Kind::Noise:
                d.noise = c->on;
                break;
            case Kind::Clear:
                d.nak_every = d.drop_ack_at = d.bad_checksum_at = d.delay_ms = 0;
                d.noise = false;
                break;
            default:
                break;
        }
    }
    switch (c->kind) {
        case Kind::NakEvery:
        case Kind::DropAck:
        case Kind::BadChecksum:
        case Kind::Delay:
        case Kind::Noise:
            break;
        default:
            d.post(Impl::Work{true, {}, *c});
            break;
    }
    d.log("control: " + std::string(line));
    return true;
}

}  // namespace handsim
