#include "zemlo/low_latency.h"

#include <sys/ioctl.h>

#include <cerrno>

namespace zemlo {
namespace {

class SystemSerialInfoIo final : public SerialInfoIo {
  public:
    int get(int fd, serial_struct &info) override {
        return ::ioctl(fd, TIOCGSERIAL, &info) == 0 ? 0 : errno;
    }
    int set(int fd, const serial_struct &info) override {
        return ::ioctl(fd, TIOCSSERIAL, &info) == 0 ? 0 : errno;
    }
};

}  // namespace

SerialInfoIo &system_serial_info_io() {
    static SystemSerialInfoIo io;
    return io;
}

LowLatency request_low_latency(int fd, SerialInfoIo &io) {
    serial_struct info{};
    if (io.get(fd, info) != 0) {
        return LowLatency::Unsupported;
    }
    if ((info.flags & ASYNC_LOW_LATENCY) != 0) {
        return LowLatency::AlreadyOn;
    }
    info.flags |= ASYNC_LOW_LATENCY;
    if (io.set(fd, info) != 0) {
        return LowLatency::Refused;
    }
    // Some drivers take the call and drop flags they do not know: only a read-back tells.
    serial_struct check{};
    if (io.get(fd, check) != 0 || (check.flags & ASYNC_LOW_LATENCY) == 0) {
        return LowLatency::Refused;
    }
    return LowLatency::TurnedOn;
}

void release_low_latency(int fd, LowLatency state, SerialInfoIo &io) {
    if (state != LowLatency::TurnedOn) {
        return;
    }
    serial_struct info{};
    if (io.get(fd, info) != 0) {
        return;
    }
    info.flags &= ~ASYNC_LOW_LATENCY;
    io.set(fd, info);
}

const char *describe(LowLatency state) {
    switch (state) {
        case LowLatency::TurnedOn:
            return "on";
        case LowLatency::AlreadyOn:
            return "already on";
        case LowLatency::Refused:
            return "refused";
        case LowLatency::Unsupported:
            return "not supported";
        case LowLatency::Unknown:
            break;
    }
    return "unknown";
}

}  // namespace zemlo
