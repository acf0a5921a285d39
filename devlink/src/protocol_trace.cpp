#include "protocol_trace.h"

#include <cerrno>
#include <chrono>

#include "handlink/trace_format.h"

#ifdef _WIN32
#include <cstdio>
#else
#include <unistd.h>

#include "zemlo/output_place.h"
#endif

namespace handlink {
namespace {

TraceDirection direction(Direction d) {
    return d == Direction::ToHandset ? TraceDirection::ToHandset : TraceDirection::FromHandset;
}

// Opened as every file the user names is written: a regular file only, never waiting in the
// open, and never through a link planted by another user in a shared folder. Windows has no
// shared sticky folders of that kind; there the file is opened for appending as it is.
std::FILE *open_trace_file(const char *path, int32_t *status) {
#ifdef _WIN32
    std::FILE *opened = std::fopen(path, "a");
    if (opened == nullptr) {
        *status = errno != 0 ? errno : EINVAL;
    }
    return opened;
#else
    const int fd = zemlo::open_trace_output(path, nullptr);
    if (fd < 0) {
        *status = errno != 0 ? errno : EINVAL;
        return nullptr;
    }
    std::FILE *opened = ::fdopen(fd, "a");
    if (opened == nullptr) {
        *status = errno != 0 ? errno : EINVAL;
        ::close(fd);
    }
    return opened;
#endif
}

std::string now() {
    return trace_timestamp(std::chrono::system_clock::now());
}

}  // namespace

ProtocolTrace::~ProtocolTrace() {
    if (file_ != nullptr) {
        std::fclose(file_);
    }
}

int32_t ProtocolTrace::set_file(FrameLink &link, const char *path) {
    std::FILE *opened = nullptr;
    int32_t status = 0;
    if (path != nullptr && *path != '\0') {
        opened = open_trace_file(path, &status);
    }
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (file_ != nullptr) {
            std::fclose(file_);
        }
        file_ = opened;
        if (file_ != nullptr && names_.empty()) {
            names_.rebuild();
        }
    }
    link.set_observer(opened != nullptr ? this : nullptr);
    return status;
}

void ProtocolTrace::write(const std::string &line) {
    std::lock_guard<std::mutex> lock(mutex_);
    write_trace_line(file_, line);
}

void ProtocolTrace::frame(Direction d, const uint8_t *bytes, size_t count, bool good) {
    write(format_frame_line(now(), direction(d), bytes, count, good));
}

void ProtocolTrace::ack(Direction d) {
    write(format_ack_line(now(), direction(d)));
}

void ProtocolTrace::nak(Direction d) {
    write(format_nak_line(now(), direction(d)));
}

void ProtocolTrace::record(Direction d, const uint8_t *record, size_t count) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (file_ != nullptr) {
        write_trace_line(file_, format_record_line(now(), direction(d), record, count, names_));
    }
}

}  // namespace handlink
