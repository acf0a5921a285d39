#include "stop_signal.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace handsim {

StopSignal::~StopSignal() {
    close();
}

bool StopSignal::open(std::string *error) {
    if (::pipe2(pipe_, O_CLOEXEC) != 0) {
        *error = std::string("cannot make a pipe: ") + std::strerror(errno);
        return false;
    }
    raised_ = false;
    return true;
}

void StopSignal::raise() {
    raised_ = true;
    const uint8_t wake = 1;
    [[maybe_unused]] const ssize_t n = ::write(pipe_[1], &wake, 1);
}

bool StopSignal::wait_for(std::chrono::milliseconds d) const {
    if (raised_) {
        return false;
    }
    pollfd fds[1] = {{pipe_[0], POLLIN, 0}};
    ::poll(fds, 1, static_cast<int>(d.count()));
    return !raised_;
}

void StopSignal::close() {
    for (int &fd : pipe_) {
        if (fd >= 0) {
            ::close(fd);
            fd = -1;
        }
    }
}

}  // namespace handsim
