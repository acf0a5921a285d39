#include "open_facts.h"

#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>

#include "messages.h"
#include "serial_inventory.h"

namespace zemlo::cli {

namespace {

namespace fs = std::filesystem;

constexpr int kMaxGroups = 256;

std::string group_name(gid_t gid) {
    const group *g = ::getgrgid(gid);
    return g != nullptr ? g->gr_name : std::to_string(gid);
}

// Processes with the device open: a busy device says little without them.
std::vector<std::string> holders_of(const std::string &device) {
    std::vector<std::string> out;
    std::error_code ec;
    const fs::path real = fs::canonical(device, ec);
    if (ec) {
        return out;
    }
    const std::string self = std::to_string(::getpid());
    for (fs::directory_iterator proc("/proc", ec), end; !ec && proc != end; proc.increment(ec)) {
        const std::string pid = proc->path().filename().string();
        if (pid.find_first_not_of("0123456789") != std::string::npos || pid == self) {
            continue;
        }
        std::error_code fd_ec;
        for (fs::directory_iterator fd(proc->path() / "fd", fd_ec), fd_end; !fd_ec && fd != fd_end;
             fd.increment(fd_ec)) {
            std::error_code link_ec;
            if (fs::read_symlink(fd->path(), link_ec) == real && !link_ec) {
                std::ifstream comm(proc->path() / "comm");
                std::string name;
                std::getline(comm, name);
                out.push_back(name + " (pid " + pid + ")");
                break;
            }
        }
    }
    return out;
}

}  // namespace

OpenFacts gather_open_facts(const std::string &device, const std::vector<std::string> &existing) {
    OpenFacts f;
    f.device = device;
    f.existing = existing;
    const int fd = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        f.error_number = errno;
    } else {
        termios tio{};
        if (::tcgetattr(fd, &tio) != 0) {
            f.not_a_terminal = true;
        } else if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            f.error_number = errno;
        }
        ::close(fd);
    }
    if (const passwd *pw = ::getpwuid(::geteuid())) {
        f.user = pw->pw_name;
    }
    struct stat st {};
    if (::stat(device.c_str(), &st) == 0) {
        if (S_ISSOCK(st.st_mode)) {
            f.other_kind = app::render(app::MessageId::KindSocket);
        } else if (S_ISFIFO(st.st_mode)) {
            f.other_kind = app::render(app::MessageId::KindNamedPipe);
        } else if (S_ISDIR(st.st_mode)) {
            f.other_kind = app::render(app::MessageId::KindFolder);
        } else if (S_ISREG(st.st_mode)) {
            f.other_kind = app::render(app::MessageId::KindRegularFile);
        } else if (S_ISBLK(st.st_mode)) {
            f.other_kind = app::render(app::MessageId::KindBlockDevice);
        }
        f.device_group = group_name(st.st_gid);
        const gid_t gid = st.st_gid;
        gid_t active[kMaxGroups];
        const int n = ::getgroups(kMaxGroups, active);
        for (int i = 0; i < n; ++i) {
            f.group_active = f.group_active || active[i] == gid;
        }
        f.group_active = f.group_active || ::getegid() == gid;
        if (const group *g = ::getgrgid(gid)) {
            for (char **m = g->gr_mem; m != nullptr && *m != nullptr; ++m) {
                f.group_listed = f.group_listed || f.user == *m;
            }
        }
        if (const passwd *pw = ::getpwuid(::geteuid())) {
            f.group_listed = f.group_listed || pw->pw_gid == gid;
        }
        f.group_listed = f.group_listed || f.group_active;
    }
    if (f.error_number == EBUSY || f.error_number == EWOULDBLOCK) {
        f.holders = holders_of(device);
    }
    if (auto ids = usb_ids(device)) {
        f.usb_vendor = ids->first;
        f.usb_product = ids->second;
    }
    return f;
}

}  // namespace zemlo::cli
