#include "control_channel.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace handsim {

namespace {
constexpr size_t kMaxControlLine = 512;
}  // namespace

ControlChannel::ControlChannel(std::string path, const StopSignal &stop, Journal &journal)
    : path_(std::move(path)), stop_(stop), journal_(journal) {}

ControlChannel::~ControlChannel() {
    close();
}

bool ControlChannel::open(std::string *error) {
    struct stat st {};
    if (::lstat(path_.c_str(), &st) == 0) {
        if (!S_ISFIFO(st.st_mode)) {
            *error = path_ + " exists and is not a FIFO";
            return false;
        }
    } else if (::mkfifo(path_.c_str(), 0600) != 0) {
        *error = "cannot make the FIFO " + path_ + ": " + std::strerror(errno);
        return false;
    } else {
        fifo_made_ = true;
    }
    return true;
}

void ControlChannel::start(Apply apply) {
    thread_ = std::thread([this, apply = std::move(apply)] { run(apply); });
}

void ControlChannel::close() {
    if (thread_.joinable()) {
        thread_.join();
    }
    if (fifo_made_) {
        ::unlink(path_.c_str());
        fifo_made_ = false;
    }
}

void ControlChannel::run(const Apply &apply) {
    // Opened for writing too, so that a writer closing its end never leaves us at end-of-file.
    const int fd = ::open(path_.c_str(), O_RDWR | O_NONBLOCK);
    if (fd < 0) {
        journal_.log("cannot open the FIFO " + path_);
        return;
    }
    std::string pending;
    char buffer[kMaxControlLine];
    while (!stop_.raised()) {
        pollfd fds[2] = {{fd, POLLIN, 0}, {stop_.fd(), POLLIN, 0}};
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
            if (!line.empty() && !apply(line, &error)) {
                journal_.log("control: " + error);
            }
        }
        if (pending.size() > kMaxControlLine) {
            journal_.log("control: line too long, dropped");
            pending.clear();
        }
    }
    ::close(fd);
}

}  // namespace handsim
