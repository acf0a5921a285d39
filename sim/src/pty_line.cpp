#include "pty_line.h"

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace handsim {

namespace {
constexpr int kWriteWaitMs = 200;
constexpr int kWriteWaitRounds = 10;  // a line that takes nothing for 2 s is given up
constexpr size_t kSlaveNameBytes = 128;
constexpr int kBitsPerByte = 10;  // start, eight data bits, stop

bool fail(std::string *error, const std::string &what) {
    if (error != nullptr) {
        *error = what + ": " + std::strerror(errno);
    }
    return false;
}
}  // namespace

PtyLine::~PtyLine() {
    close();
}

bool PtyLine::open(const std::string &link_path, std::string *error) {
    close();
    // Close-on-exec: a program started meanwhile must not hold the line open past a hang-up.
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master_ < 0) {
        return fail(error, "cannot open a pseudo-terminal");
    }
    char name[kSlaveNameBytes] = {};
    if (::grantpt(master_) != 0 || ::unlockpt(master_) != 0 ||
        ::ptsname_r(master_, name, sizeof name) != 0) {
        close();
        return fail(error, "cannot prepare the pseudo-terminal");
    }
    slave_name_ = name;
    slave_ = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slave_ < 0) {
        close();
        return fail(error, "cannot open " + slave_name_);
    }
    // Raw from the start: no echo of the handset's bytes, no translation, until the PC sets its
    // own.
    termios tio{};
    if (::tcgetattr(slave_, &tio) == 0) {
        ::cfmakeraw(&tio);
        ::cfsetispeed(&tio, B115200);
        ::cfsetospeed(&tio, B115200);
        ::tcsetattr(slave_, TCSANOW, &tio);
    }
    ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);

    struct stat st {};
    if (::lstat(link_path.c_str(), &st) == 0) {
        if (!S_ISLNK(st.st_mode)) {
            close();
            if (error != nullptr) {
                *error = link_path + " exists and is not a link; it is left alone";
            }
            return false;
        }
        ::unlink(link_path.c_str());
    }
    if (::symlink(slave_name_.c_str(), link_path.c_str()) != 0) {
        close();
        return fail(error, "cannot link " + link_path);
    }
    link_path_ = link_path;
    return true;
}

void PtyLine::close() {
    if (!link_path_.empty()) {
        char target[kSlaveNameBytes] = {};
        const ssize_t n = ::readlink(link_path_.c_str(), target, sizeof target - 1);
        if (n > 0 && slave_name_ == std::string(target, static_cast<size_t>(n))) {
            ::unlink(link_path_.c_str());
        }
        link_path_.clear();
    }
    if (slave_ >= 0) {
        ::close(slave_);
        slave_ = -1;
    }
    if (master_ >= 0) {
        ::close(master_);
        master_ = -1;
    }
}

bool PtyLine::write_all(const uint8_t *bytes, size_t count) {
    int rounds = 0;
    while (count > 0 && master_ >= 0) {
        const ssize_t n = ::write(master_, bytes, count);
        if (n > 0) {
            bytes += n;
            count -= static_cast<size_t>(n);
            rounds = 0;
            continue;
        }
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0 && errno != EAGAIN) {
            return false;
        }
        if (++rounds > kWriteWaitRounds) {
            return false;
        }
        pollfd p{master_, POLLOUT, 0};
        ::poll(&p, 1, kWriteWaitMs);
    }
    return count == 0;
}

Clock::duration LinePacer::byte_time() const {
    if (baud_ == 0) {
        return Clock::duration::zero();
    }
    return std::chrono::duration_cast<Clock::duration>(std::chrono::nanoseconds(
        static_cast<int64_t>(kBitsPerByte) * 1000000000LL / static_cast<int64_t>(baud_)));
}

Clock::time_point LinePacer::arrival(Clock::time_point seen) {
    if (baud_ == 0) {
        return seen;
    }
    // A byte found in the buffer started its trip when it was written (at the latest when it was
    // seen) and no earlier than the previous byte had arrived.
    const Clock::time_point start = free_at_ > seen ? free_at_ : seen;
    free_at_ = start + byte_time();
    return free_at_;
}

Clock::time_point LinePacer::reserve(size_t count) {
    const Clock::time_point now = Clock::now();
    const Clock::time_point start = free_at_ > now ? free_at_ : now;
    free_at_ = start + byte_time() * static_cast<int64_t>(count);
    return start;
}

}  // namespace handsim
