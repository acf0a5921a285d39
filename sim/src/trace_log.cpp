#include "trace_log.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "handlink/name_tables.h"
#include "handlink/trace_format.h"
#include "zemlo/byte_order.h"
#include "zemlo/output_place.h"
#include "zemlo/signal_record.h"

namespace handsim {

namespace {
handlink::TraceDirection direction(bool from_pc) {
    return from_pc ? handlink::TraceDirection::ToHandset : handlink::TraceDirection::FromHandset;
}

std::string now() {
    return handlink::trace_timestamp(std::chrono::system_clock::now());
}
}  // namespace

TraceLog::TraceLog() = default;

TraceLog::~TraceLog() {
    if (out_ != nullptr) {
        std::fclose(out_);
    }
}

bool TraceLog::open(const std::string &path, std::string *error) {
    // A regular file only, never waiting in the open, never through another user's link in a
    // shared folder: the link library's own trace is opened the same way.
    std::string why;
    const int fd = zemlo::open_trace_output(path, &why);
    out_ = fd >= 0 ? ::fdopen(fd, "a") : nullptr;
    if (out_ == nullptr) {
        if (fd >= 0) {
            why = std::strerror(errno);
            ::close(fd);
        }
        if (error != nullptr) {
            *error = "cannot open the trace " + path + ": " + why;
        }
        return false;
    }
    names_ = std::make_unique<handlink::NameTables>();
    names_->rebuild();
    return true;
}

void TraceLog::frame(bool from_pc, const uint8_t *bytes, size_t count, bool good) {
    if (out_ == nullptr) {
        return;
    }
    std::lock_guard lock(mutex_);
    handlink::write_trace_line(
        out_, handlink::format_frame_line(now(), direction(from_pc), bytes, count, good));
}

void TraceLog::ack(bool from_pc) {
    if (out_ == nullptr) {
        return;
    }
    std::lock_guard lock(mutex_);
    handlink::write_trace_line(out_, handlink::format_ack_line(now(), direction(from_pc)));
}

void TraceLog::nak(bool from_pc) {
    if (out_ == nullptr) {
        return;
    }
    std::lock_guard lock(mutex_);
    handlink::write_trace_line(out_, handlink::format_nak_line(now(), direction(from_pc)));
}

void TraceLog::record(bool from_pc, uint32_t kind, const Bytes &message) {
    if (out_ == nullptr) {
        return;
    }
    Bytes rec(zemlo::kRecordHeadBytes + message.size(), 0);
    zemlo::write_le32(&rec[zemlo::kRecordKindOffset], kind);
    zemlo::write_le16(&rec[zemlo::kRecordLengthOffset], static_cast<uint16_t>(message.size()));
    std::copy(message.begin(), message.end(), rec.begin() + zemlo::kRecordHeadBytes);
    std::lock_guard lock(mutex_);
    handlink::write_trace_line(out_, handlink::format_record_line(now(), direction(from_pc),
                                                                  rec.data(), rec.size(), *names_));
}

void TraceLog::received(const PcMessage &message) {
    record(true,
           message.form == PcMessage::Form::Command ? zemlo::kKindCommand : zemlo::kKindSignal,
           message.bytes);
}

void TraceLog::sent(const Bytes &message) {
    record(false, zemlo::kKindLongHeader, message);
}

void TraceLog::note(const std::string &text) {
    if (out_ == nullptr) {
        return;
    }
    std::lock_guard lock(mutex_);
    handlink::write_trace_line(out_, now() + " HS NOTE " + text);
}

}  // namespace handsim
