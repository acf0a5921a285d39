// The emulator's protocol trace: the same line format as the link library's, written from the
// handset's side (what it receives is PC>HS, what it sends HS>PC), plus its own notes. The line
// format and the name tables are the library's own, borrowed on purpose so that a trace from
// either end reads the same; nothing else of the library's internals is used here.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <mutex>
#include <string>

#include "segment_codec.h"

namespace handlink {
class NameTables;
}

namespace handsim {

class TraceLog {
  public:
    TraceLog();
    ~TraceLog();
    TraceLog(const TraceLog &) = delete;
    TraceLog &operator=(const TraceLog &) = delete;

    bool open(const std::string &path, std::string *error);
    bool enabled() const { return out_ != nullptr; }

    void frame(bool from_pc, const uint8_t *bytes, size_t count, bool good);
    void ack(bool from_pc);
    void nak(bool from_pc);
    void received(const PcMessage &message);
    void sent(const Bytes &long_header_message);
    void note(const std::string &text);

  private:
    void record(bool from_pc, uint32_t kind, const Bytes &message);

    std::mutex mutex_;
    std::FILE *out_ = nullptr;
    std::unique_ptr<handlink::NameTables> names_;  // built when the trace is opened
};

}  // namespace handsim
