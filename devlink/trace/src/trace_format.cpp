#include "handlink/trace_format.h"

#include <algorithm>
#include <ctime>

#include "zemlo/byte_order.h"
#include "zemlo/signal_record.h"

namespace handlink {
namespace {

constexpr int kMillisPerSecond = 1000;

void append_hex(std::string &out, const uint8_t *bytes, size_t count) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    for (size_t i = 0; i < count; ++i) {
        out += ' ';
        out += kDigits[bytes[i] >> 4];
        out += kDigits[bytes[i] & 0x0F];
    }
}

std::string head(const std::string &timestamp, TraceDirection d, const char *what) {
    std::string line = timestamp;
    line += ' ';
    line += trace_direction(d);
    line += ' ';
    line += what;
    return line;
}

void append_task(std::string &out, const NameTables &names, uint8_t id) {
    const std::string_view name = names.task_name(id);
    out += name.empty() ? std::string_view("?") : name;
    out += '(' + std::to_string(id) + ')';
}

void append_signal(std::string &out, const NameTables &names, uint16_t id) {
    const std::string_view name = names.signal_name(id);
    out += name.empty() ? std::string_view("?") : name;
    char hex[16];
    std::snprintf(hex, sizeof hex, "(0x%04X)", id);
    out += hex;
}

}  // namespace

std::string trace_timestamp(std::chrono::system_clock::time_point when) {
    const auto since = when.time_since_epoch();
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(since);
    const auto millis =
        std::chrono::duration_cast<std::chrono::milliseconds>(since - seconds).count();
    const std::time_t t = static_cast<std::time_t>(seconds.count());
    std::tm local{};
    localtime_r(&t, &local);
    char text[48];
    const size_t n = std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
    std::snprintf(text + n, sizeof text - n, ".%03d", static_cast<int>(millis % kMillisPerSecond));
    return text;
}

const char *trace_direction(TraceDirection d) {
    return d == TraceDirection::ToHandset ? "PC>HS" : "HS>PC";
}

std::string format_frame_line(const std::string &timestamp, TraceDirection d, const uint8_t *bytes,
                              size_t count, bool good) {
    std::string line = head(timestamp, d, good ? "FRAME" : "BADFRAME");
    append_hex(line, bytes, count);
    return line;
}

std::string format_ack_line(const std::string &timestamp, TraceDirection d) {
    return head(timestamp, d, "ACK");
}

std::string format_nak_line(const std::string &timestamp, TraceDirection d) {
    return head(timestamp, d, "NAK");
}

std::string format_record_line(const std::string &timestamp, TraceDirection d,
                               const uint8_t *record, size_t count, const NameTables &names) {
    using namespace zemlo;
    std::string line = head(timestamp, d, "RECORD");
    if (count < kRecordHeadBytes) {
        line += " short " + std::to_string(count);
        return line;
    }
    const uint32_t kind = read_le32(record + kRecordKindOffset);
    const size_t length = read_le16(record + kRecordLengthOffset);
    // Only what the record actually holds is read.
    const size_t held = std::min(length, count - kRecordHeadBytes);
    const uint8_t *message = record + kRecordHeadBytes;

    if (kind == kKindSignal && held >= kSigBodyOffset) {
        line += " S ";
        append_task(line, names, message[kSigSenderOffset]);
        line += " > ";
        append_task(line, names, message[kSigReceiverOffset]);
        line += ' ';
        append_signal(line, names, read_le16(message + kSigSignalIdOffset));
        line += " body " + std::to_string(read_le16(message + kSigBodyLengthOffset));
    } else if (kind == kKindLongHeader && held >= kLongBodyOffset) {
        line += " L ";
        append_task(line, names, message[kLongSenderOffset]);
        line += ' ';
        append_signal(line, names, read_le16(message + kLongSignalIdOffset));
        line += " body " + std::to_string(read_le16(message + kLongBodyLengthOffset));
    } else if (kind == kKindCommand) {
        line += " C";
        append_hex(line, message, held);
    } else {
        char text[48];
        std::snprintf(text, sizeof text, " kind 0x%X length %zu", kind, length);
        line += text;
    }
    return line;
}

void write_trace_line(std::FILE *out, const std::string &line) {
    if (out == nullptr) {
        return;
    }
    std::fputs(line.c_str(), out);
    std::fputc('\n', out);
    std::fflush(out);
}

}  // namespace handlink
