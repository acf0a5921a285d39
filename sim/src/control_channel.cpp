// The control channel: commands from a FIFO, one a line, or from the caller directly; line faults
// go to the fault plan, the rest to the service loop.
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "emulator_impl.h"

namespace handsim {

namespace {
constexpr size_t kMaxControlLine = 512;
}  // namespace

bool Emulator::Impl::open_fifo(std::string *error) {
    struct stat st {};
    if (::lstat(opt.control_path.c_str(), &st) == 0) {
        if (!S_ISFIFO(st.st_mode)) {
            *error = opt.control_path + " exists and is not a FIFO";
            return false;
        }
    } else if (::mkfifo(opt.control_path.c_str(), 0600) != 0) {
        *error = "cannot make the FIFO " + opt.control_path + ": " + std::strerror(errno);
        return false;
    } else {
        fifo_made = true;
    }
    return true;
}

void Emulator::Impl::control_loop(Emulator *owner) {
    // Opened for writing too, so that a writer closing its end never leaves us at end-of-file.
    const int fd = ::open(opt.control_path.c_str(), O_RDWR | O_NONBLOCK);
    if (fd < 0) {
        log("cannot open the FIFO " + opt.control_path);
        return;
    }
    std::string pending;
    char buffer[kMaxControlLine];
    while (!stop_flag) {
        pollfd fds[2] = {{fd, POLLIN, 0}, {stop_pipe[0], POLLIN, 0}};
        if (::poll(fds, 2, -1) <= 0 || (fds[1].revents & POLLIN) != 0) {
            continue;
        }
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n <= 0) {
            continue;
        }
        pending.append(buffer, static_cast<size_t>(n));
        size_t cut;
        while ((cut = pending.find('\n')) != std::string::npos) {
            const std::string line = pending.substr(0, cut);
            pending.erase(0, cut + 1);
            std::string error;
            if (!line.empty() && !owner->control(line, &error)) {
                log("control: " + error);
            }
        }
        if (pending.size() > kMaxControlLine) {
            log("control: line too long, dropped");
            pending.clear();
        }
    }
    ::close(fd);
}

bool Emulator::control(std::string_view line, std::string *error) {
    Impl &d = *impl_;
    const auto c = parse_control(line, error);
    if (!c) {
        return false;
    }
    // A line fault is the line's alone; everything else (Clear too) goes to the service loop.
    if (!d.faults.apply(*c)) {
        d.post(Impl::Work{true, {}, *c});
    }
    d.log("control: " + std::string(line));
    return true;
}

}  // namespace handsim
