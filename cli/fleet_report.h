// The pure parts of running one command on several handsets at once: reading each worker's
// standard error (progress lines and messages), and the summary at the end (table, JSON, exit
// status).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zemlo::cli {

// Splits a worker's standard error. A worker rewrites its progress line in place ("\r", then
// "\033[K" and the text); every other line ends with "\n".
class WorkerStream {
  public:
    // Takes bytes as they come; returns the message lines they completed.
    std::vector<std::string> feed(std::string_view bytes);
    // The progress line now shown (the last one rewritten), empty when none.
    std::string progress() const;
    // The total byte count of the last transfer progress line ("... 1024/30748 bytes ...").
    std::optional<uint64_t> transfer_bytes() const { return transfer_bytes_; }

  private:
    static constexpr size_t kMaxLine = 4096;  // a longer line is cut, never grown without end
    void progress_seen(const std::string &line);

    std::string line_;
    bool in_progress_ = false;  // line_ began after a "\r"
    std::string last_progress_;
    std::optional<uint64_t> transfer_bytes_;
};

// "packet 3/61  1024/30748 bytes ..." -> 30748, in either language.
std::optional<uint64_t> progress_total_bytes(std::string_view line);

struct HandsetResult {
    std::string handset;   // "COM3" or the device path
    int exit_status = -1;  // the worker's; -1 when it ended by a signal or never ran
    std::string message;   // the last message it printed (the error, for a failure)
    double seconds = 0;    // from start to end of its worker
    uint64_t bytes = 0;    // the bytes sent to it (downloads), 0 when not known
    std::string output;    // its standard output
    bool ok() const { return exit_status == 0; }
};

// The table printed at the end: handset, result, time, bytes per second.
std::string summary_table(const std::vector<HandsetResult> &results);
// {"handsets":[{"handset":..,"result":"ok"|"failed","exit_status":..,"seconds":..,"bytes":..,
// "bytes_per_second":..,"message":..,"output":<the worker's JSON or its text>}, ...],
// "succeeded":N,"failed":M}. output_is_json: each worker printed one JSON document.
std::string summary_json(const std::vector<HandsetResult> &results, bool output_is_json);
// 0 when every handset succeeded; the common status when every one failed the same way (all bad
// usage: 2, no port opened: 3); else 1.
int fleet_exit_status(const std::vector<HandsetResult> &results);
// "2 of 4 handsets failed: COM4 (no answer), /dev/ttyUSB1 (...)"; empty when none failed.
std::string failures_line(const std::vector<HandsetResult> &results);

}  // namespace zemlo::cli
