// Lines of the protocol trace: every frame, ACK and NAK on the line and every complete record,
// with a millisecond timestamp and the direction. Records are named with the task and signal
// tables so that a trace attached to a bug report reads without the numbering at hand. Shared by
// the library and the handset emulator so that both write the same format. Pure formatting; the
// only I/O is writing a finished line to a FILE*.
//
//   2026-12-09 09:12:03.123 PC>HS FRAME 02 09 D5 FF 00 05 02 03 00 00 00 25 03
//   2026-12-09 09:12:03.131 HS>PC ACK
//   2026-12-09 09:12:03.131 PC>HS RECORD S EMMI_LOW_PRI_TASK_ID(2) > QNDLW_TASK_ID(83)
//                                   SIG_DOWNLOAD_DATA_IND(0x7901) body 520        (one line)
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "handlink/name_tables.h"

namespace handlink {

enum class TraceDirection { ToHandset, FromHandset };

// "YYYY-MM-DD HH:MM:SS.mmm" in local time.
std::string trace_timestamp(std::chrono::system_clock::time_point when);

// "PC>HS" or "HS>PC".
const char *trace_direction(TraceDirection d);

// A whole frame, STX to ETX. A frame the receiver dropped (bad checksum, no ETX) is "BADFRAME".
std::string format_frame_line(const std::string &timestamp, TraceDirection d, const uint8_t *bytes,
                              size_t count, bool good);
std::string format_ack_line(const std::string &timestamp, TraceDirection d);
std::string format_nak_line(const std::string &timestamp, TraceDirection d);

// A complete record (10-byte head and message). Signal form names sender, receiver and signal;
// the long-header form names its sender and signal; command form gives its bytes. Fields that
// the record is too short to hold are reported as such, never read.
std::string format_record_line(const std::string &timestamp, TraceDirection d,
                               const uint8_t *record, size_t count, const NameTables &names);

// Writes one line and its newline, then flushes so that a trace survives a crash.
void write_trace_line(std::FILE *out, const std::string &line);

}  // namespace handlink
