// The emulator's start and stop, and the line writes its threads share. The threads themselves:
// line_reader.cpp, service_loop.cpp, control_channel.cpp.
#include "handsim/emulator.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "emulator_impl.h"
#include "sample_media.h"

namespace handsim {

namespace {
constexpr size_t kPacedChunk = 16;  // bytes written at once on a paced line
}  // namespace

void Emulator::Impl::log(const std::string &text) {
    trace.note(text);
    if (opt.log) {
        std::lock_guard lock(log_mutex);
        opt.log(text);
    }
}

// Caller holds write_mutex.
bool Emulator::Impl::write_line(const uint8_t *bytes, size_t n) {
    if (adapter) {
        adapter->hold(bytes, n);
        return true;
    }
    return line.write_all(bytes, n);
}

// Caller holds write_mutex.
bool Emulator::Impl::write_paced(const uint8_t *bytes, size_t n) {
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

void Emulator::Impl::post(Work w) {
    {
        std::lock_guard lock(queue_mutex);
        queue.push_back(std::move(w));
    }
    queue_cv.notify_one();
}

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

}  // namespace handsim
