// The protocol trace of the library: sees every frame, ACK, NAK and record of the link and
// writes one line for each to the trace file, when one is set.
#pragma once

#include <cstdio>
#include <mutex>
#include <string>

#include "frame_link.h"
#include "handlink/name_tables.h"

namespace handlink {

class ProtocolTrace : public LinkObserver {
  public:
    ProtocolTrace() = default;
    ~ProtocolTrace() override;
    ProtocolTrace(const ProtocolTrace &) = delete;
    ProtocolTrace &operator=(const ProtocolTrace &) = delete;

    // Appends to the file at path from now on; nullptr or "" stops. Returns 0 or the errno of a
    // file that cannot be opened (the trace is then off). Tells the link whether to report.
    int32_t set_file(FrameLink &link, const char *path);

    void frame(Direction d, const uint8_t *bytes, size_t count, bool good) override;
    void ack(Direction d) override;
    void nak(Direction d) override;
    void record(Direction d, const uint8_t *record, size_t count) override;

  private:
    void write(const std::string &line);

    std::mutex mutex_;
    std::FILE *file_ = nullptr;
    NameTables names_;  // its own full tables: records are named before any setup, too
};

}  // namespace handlink
