#include "fleet_report.h"

#include <charconv>
#include <cstdio>

#include "json_text.h"
#include "messages.h"
#include "terminal_text.h"

namespace zemlo::cli {

namespace {

constexpr std::string_view kClearToEnd = "\033[K";

std::string without_escapes(const std::string &s) {
    std::string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size(); ++i) {
        if (s.compare(i, kClearToEnd.size(), kClearToEnd) == 0) {
            i += kClearToEnd.size() - 1;
            continue;
        }
        out += s[i];
    }
    return out;
}

std::string fixed(double value, int decimals) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
    return buffer;
}

uint64_t rate_of(const HandsetResult &r) {
    return r.bytes != 0 && r.seconds > 0
               ? static_cast<uint64_t>(static_cast<double>(r.bytes) / r.seconds)
               : 0;
}

std::string pad(const std::string &s, size_t width) {
    const size_t used = terminal_columns(s);
    return used >= width ? s : s + std::string(width - used, ' ');
}

std::string text(app::MessageId id) {
    return app::render(id);
}

}  // namespace

std::vector<std::string> WorkerStream::feed(std::string_view bytes) {
    std::vector<std::string> done;
    for (const char c : bytes) {
        if (c == '\r') {
            if (in_progress_) {
                progress_seen(without_escapes(line_));
            }
            line_.clear();
            in_progress_ = true;
        } else if (c == '\n') {
            std::string text = without_escapes(line_);
            if (in_progress_ && !text.empty()) {
                progress_seen(text);  // a progress line closed by a newline is a message too
            }
            if (!text.empty()) {
                done.push_back(std::move(text));
            }
            line_.clear();
            in_progress_ = false;
            last_progress_.clear();
        } else if (line_.size() < kMaxLine) {
            line_ += c;
        }
    }
    if (in_progress_) {
        const std::string now = without_escapes(line_);
        if (!now.empty()) {
            progress_seen(now);
        }
    }
    return done;
}

void WorkerStream::progress_seen(const std::string &line) {
    last_progress_ = line;
    if (const auto total = progress_total_bytes(line)) {
        transfer_bytes_ = total;
    }
}

std::string WorkerStream::progress() const {
    return last_progress_;
}

std::optional<uint64_t> progress_total_bytes(std::string_view line) {
    // The line reads in the user's language, so its numbers are found by their shape: the
    // packets' "sent/total", then the bytes' "sent/total", ended by the word that follows it
    // (a total still being written is not taken).
    const auto is_digit = [](char c) { return c >= '0' && c <= '9'; };
    size_t pairs = 0;
    for (size_t slash = line.find('/'); slash != std::string_view::npos;
         slash = line.find('/', slash + 1)) {
        if (slash == 0 || !is_digit(line[slash - 1])) {
            continue;
        }
        size_t end = slash + 1;
        while (end < line.size() && is_digit(line[end])) {
            ++end;
        }
        if (end == slash + 1 || ++pairs < 2) {
            continue;
        }
        uint64_t n = 0;
        const auto [p, ec] = std::from_chars(line.data() + slash + 1, line.data() + end, n);
        if (ec != std::errc() || p != line.data() + end || end == line.size()) {
            return std::nullopt;
        }
        return n;
    }
    return std::nullopt;
}

std::string summary_table(const std::vector<HandsetResult> &results) {
    const std::string ok = text(app::MessageId::FleetOk);
    const std::string failed = text(app::MessageId::FleetFailed);
    const size_t result_width = std::max(terminal_columns(ok), terminal_columns(failed));
    size_t width = terminal_columns(text(app::MessageId::FleetHandset));
    for (const auto &r : results) {
        width = std::max(width, terminal_columns(r.handset));
    }
    std::string out = pad(text(app::MessageId::FleetHandset), width) + "  " +
                      pad(text(app::MessageId::FleetResult), result_width) + "  " +
                      pad(text(app::MessageId::FleetTime), 9) + text(app::MessageId::FleetRate) +
                      "\n";
    for (const auto &r : results) {
        const uint64_t rate = rate_of(r);
        out += pad(r.handset, width) + "  " + pad(r.ok() ? ok : failed, result_width) + "  " +
               pad(fixed(r.seconds, 1) + " s", 9) + (rate != 0 ? std::to_string(rate) : "-");
        if (!r.ok() && !r.message.empty()) {
            out += "  " + r.message;
        }
        out += "\n";
    }
    // Not the rate the live line showed: that one is the transfer's alone.
    out += text(app::MessageId::FleetWholeCommand) + "\n";
    return out;
}

std::string summary_json(const std::vector<HandsetResult> &results, bool output_is_json) {
    std::string out = "{\"handsets\":[";
    size_t failed = 0;
    for (size_t i = 0; i < results.size(); ++i) {
        const auto &r = results[i];
        failed += r.ok() ? 0 : 1;
        std::string output = r.output;
        while (!output.empty() && output.back() == '\n') {
            output.pop_back();
        }
        // A worker's JSON is embedded as it is only when it printed exactly one document.
        const bool embed = output_is_json && r.ok() && !output.empty() && output.front() == '{' &&
                           output.find('\n') == std::string::npos;
        out += std::string(i == 0 ? "" : ",") + "{\"handset\":" + json_string(r.handset) +
               ",\"result\":\"" + (r.ok() ? "ok" : "failed") +
               "\",\"exit_status\":" + std::to_string(r.exit_status) +
               ",\"seconds\":" + fixed(r.seconds, 3) + ",\"bytes\":" + std::to_string(r.bytes) +
               ",\"bytes_per_second\":" + std::to_string(rate_of(r)) +
               ",\"message\":" + json_string(r.message) +
               ",\"output\":" + (embed ? output : json_string(output)) + "}";
    }
    out += "],\"succeeded\":" + std::to_string(results.size() - failed) +
           ",\"failed\":" + std::to_string(failed) + "}\n";
    return out;
}

int fleet_exit_status(const std::vector<HandsetResult> &results) {
    bool all_ok = true;
    bool same = true;
    for (const auto &r : results) {
        all_ok = all_ok && r.ok();
        same = same && r.exit_status == results.front().exit_status;
    }
    if (all_ok) {
        return 0;
    }
    const int common = results.front().exit_status;
    return same && (common == 2 || common == 3) ? common : 1;
}

std::string failures_line(const std::vector<HandsetResult> &results) {
    std::string names;
    size_t failed = 0;
    for (const auto &r : results) {
        if (r.ok()) {
            continue;
        }
        names += std::string(failed == 0 ? "" : ", ") + r.handset;
        if (!r.message.empty()) {
            names += " (" + r.message + ")";
        }
        ++failed;
    }
    if (failed == 0) {
        return {};
    }
    return app::render(app::MessageId::FleetFailures,
                       {std::to_string(failed), std::to_string(results.size()), names});
}

}  // namespace zemlo::cli
