#include "api_handset.h"

#include <poll.h>
#include <unistd.h>

#include "frame_receiver.h"
#include "zemlo/byte_order.h"

namespace handlink::testing {
namespace {

constexpr int kPollMs = 20;
constexpr size_t kFirstPcHeader = 4;
constexpr size_t kLaterHeader = 2;
constexpr size_t kHandsetSegmentBytes = 253;

}  // namespace

uint16_t PcRecord::body_length() const {
    return message.size() >= 6 ? zemlo::read_le16(message.data() + 4) : 0;
}

uint16_t PcRecord::signal() const {
    return message.size() >= 8 ? zemlo::read_le16(message.data() + 6) : 0;
}

Bytes PcRecord::body() const {
    return message.size() > 8 ? Bytes(message.begin() + 8, message.end()) : Bytes{};
}

Bytes signal_message(uint8_t sender, uint8_t receiver, uint16_t signal, const Bytes &body) {
    Bytes m(8, 0);
    m[0] = sender;
    m[1] = receiver;
    zemlo::write_le16(m.data() + 4, static_cast<uint16_t>(body.size()));
    zemlo::write_le16(m.data() + 6, signal);
    m.insert(m.end(), body.begin(), body.end());
    return m;
}

Bytes long_header_message(uint8_t sender, uint16_t signal, const Bytes &body) {
    Bytes m(16, 0);
    m[0] = sender;
    for (size_t i = 1; i < 12; ++i) {
        m[i] = static_cast<uint8_t>(0xA0 + i);  // the handset's own bytes, not interpreted
    }
    zemlo::write_le16(m.data() + 12, static_cast<uint16_t>(body.size()));
    zemlo::write_le16(m.data() + 14, signal);
    m.insert(m.end(), body.begin(), body.end());
    return m;
}

ScriptedHandset::ScriptedHandset() : thread_([this] { run(); }) {}

ScriptedHandset::~ScriptedHandset() {
    stop_ = true;
    thread_.join();
}

void ScriptedHandset::set_responder(Responder responder) {
    std::lock_guard<std::mutex> lock(mutex_);
    responder_ = std::move(responder);
}

void ScriptedHandset::write(const Bytes &bytes) {
    std::lock_guard<std::mutex> lock(write_mutex_);
    peer_.write(bytes);
}

void ScriptedHandset::send(uint8_t segment_type, const Bytes &message) {
    // Handset segments carry no total length: type, sequence, then up to 253 message bytes.
    size_t offset = 0;
    uint8_t sequence = 0;
    do {
        const size_t n = std::min(kHandsetSegmentBytes, message.size() - offset);
        const bool last = offset + n == message.size();
        Bytes payload{segment_type, last ? kLastSequence : sequence++};
        payload.insert(payload.end(), message.begin() + static_cast<std::ptrdiff_t>(offset),
                       message.begin() + static_cast<std::ptrdiff_t>(offset + n));
        write(frame_of(payload));
        offset += n;
    } while (offset < message.size());
}

std::vector<PcRecord> ScriptedHandset::wait_records(size_t count,
                                                    std::chrono::milliseconds timeout) {
    std::unique_lock<std::mutex> lock(mutex_);
    arrived_.wait_for(lock, timeout, [&] { return records_.size() >= count; });
    return records_;
}

std::vector<Bytes> ScriptedHandset::frames() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return frames_;
}

size_t ScriptedHandset::acks_received() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return acks_;
}

void ScriptedHandset::clear() {
    std::lock_guard<std::mutex> lock(mutex_);
    frames_.clear();
    records_.clear();
    acks_ = 0;
}

void ScriptedHandset::run() {
    FrameReceiver receiver;
    Bytes raw;
    while (!stop_) {
        pollfd ready{peer_.master_fd(), POLLIN, 0};
        if (poll(&ready, 1, kPollMs) <= 0) {
            continue;
        }
        uint8_t buffer[1024];
        const ssize_t n = ::read(peer_.master_fd(), buffer, sizeof buffer);
        for (ssize_t i = 0; i < n; ++i) {
            raw.push_back(buffer[i]);
            switch (receiver.push(buffer[i])) {
                case FrameReceiver::Event::Ack: {
                    std::lock_guard<std::mutex> lock(mutex_);
                    ++acks_;
                    raw.clear();
                    break;
                }
                case FrameReceiver::Event::Frame: {
                    std::lock_guard<std::mutex> lock(mutex_);
                    frames_.push_back(raw);
                }
                    raw.clear();
                    write(Bytes{kAck});
                    on_frame(receiver.payload(), receiver.payload_size());
                    break;
                case FrameReceiver::Event::None:
                    break;
                default:
                    raw.clear();
                    break;
            }
        }
    }
}

void ScriptedHandset::on_frame(const uint8_t *payload, size_t size) {
    if (size < kLaterHeader) {
        return;
    }
    const bool last = payload[1] == kLastSequence;
    std::unique_lock<std::mutex> lock(mutex_);
    if (!in_record_) {
        building_ = PcRecord{payload[0], {}};
        in_record_ = true;
        if (size >= kFirstPcHeader) {
            building_.message.assign(payload + kFirstPcHeader, payload + size);
        }
    } else {
        building_.message.insert(building_.message.end(), payload + kLaterHeader, payload + size);
    }
    if (!last) {
        return;
    }
    in_record_ = false;
    const PcRecord record = building_;
    records_.push_back(record);
    arrived_.notify_all();
    const Responder responder = responder_;
    lock.unlock();
    if (responder) {
        for (const Reply &reply : responder(record)) {
            send(reply.first, reply.second);
        }
    }
}

}  // namespace handlink::testing
