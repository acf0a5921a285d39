#include "zemlo/link_announcement.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <filesystem>

namespace zemlo {

namespace {

constexpr const char *kSuffix = ".link";
constexpr size_t kMaxAnnouncement = 4096;  // a path and its newline

// The folder opened without following a link, when it is a directory of this user's that no one
// else may enter; -1 otherwise.
int open_private_folder(const std::string &folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        return -1;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::geteuid() ||
        (st.st_mode & 077) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// "1234.link": an announcement's name.
bool is_announcement_name(const std::string &name) {
    const size_t suffix = std::strlen(kSuffix);
    if (name.size() <= suffix || name.compare(name.size() - suffix, suffix, kSuffix) != 0) {
        return false;
    }
    return std::all_of(name.begin(), name.end() - static_cast<std::ptrdiff_t>(suffix),
                       [](char c) { return c >= '0' && c <= '9'; });
}

// Whether the announcement open at fd is held by a running process (a lock nobody holds is
// taken here and let go at once).
bool held(int fd) {
    if (::flock(fd, LOCK_SH | LOCK_NB) == 0) {
        ::flock(fd, LOCK_UN);
        return false;
    }
    return errno == EWOULDBLOCK;
}

// The link's path from the announcement named name, when it is a regular file of this user's
// held by its process.
std::string read_announcement(int dir_fd, const std::string &name) {
    const int fd = ::openat(dir_fd, name.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        return {};
    }
    std::string text;
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::geteuid() &&
        st.st_size > 0 && static_cast<size_t>(st.st_size) <= kMaxAnnouncement && held(fd)) {
        std::array<char, kMaxAnnouncement> buffer{};
        const ssize_t n = ::read(fd, buffer.data(), buffer.size());
        if (n > 0) {
            text.assign(buffer.data(), static_cast<size_t>(n));
        }
    }
    ::close(fd);
    const size_t end = text.find('\n');
    if (end == std::string::npos || text.empty() || text[0] != '/') {
        return {};  // not written in full
    }
    return text.substr(0, end);
}

// A terminal of this user's at path (through the link).
bool users_terminal(const std::string &path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISCHR(st.st_mode) || st.st_uid != ::geteuid()) {
        return false;
    }
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    const bool tty = ::isatty(fd) == 1;
    ::close(fd);
    return tty;
}

}  // namespace

std::string link_announcement_folder(const EnvLookup &env) {
    if (const auto runtime = env("XDG_RUNTIME_DIR");
        runtime && !runtime->empty() && (*runtime)[0] == '/') {
        return *runtime + "/zemlo-links";
    }
    return "/tmp/zemlo-links-" + std::to_string(::geteuid());
}

LinkAnnouncement::~LinkAnnouncement() {
    withdraw();
}

bool LinkAnnouncement::announce(const std::string &folder, const std::string &link_path,
                                std::string *error) {
    withdraw();
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
        *error = "cannot create " + folder + ": " + std::strerror(errno);
        return false;
    }
    dir_fd_ = open_private_folder(folder);
    if (dir_fd_ < 0) {
        *error = folder + " is not a folder of this user's closed to others";
        return false;
    }
    name_ = std::to_string(::getpid()) + kSuffix;
    for (int attempt = 0; attempt < 2 && fd_ < 0; ++attempt) {
        fd_ = ::openat(dir_fd_, name_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                       0600);
        if (fd_ < 0 && errno == EEXIST && attempt == 0) {
            // A dead process of the same number left it (a process ends only through
            // withdraw, or without running it).
            ::unlinkat(dir_fd_, name_.c_str(), 0);
        }
    }
    if (fd_ < 0 || ::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
        *error = "cannot announce the link in " + folder + ": " + std::strerror(errno);
        withdraw();
        return false;
    }
    std::error_code ec;
    const std::string text = std::filesystem::absolute(link_path, ec).string() + "\n";
    if (ec || text.size() > kMaxAnnouncement ||
        ::write(fd_, text.data(), text.size()) != static_cast<ssize_t>(text.size())) {
        *error = "cannot announce the link in " + folder;
        withdraw();
        return false;
    }
    return true;
}

void LinkAnnouncement::withdraw() {
    if (fd_ >= 0) {
        ::unlinkat(dir_fd_, name_.c_str(), 0);
        ::close(fd_);
        fd_ = -1;
    }
    if (dir_fd_ >= 0) {
        ::close(dir_fd_);
        dir_fd_ = -1;
    }
}

std::vector<std::string> announced_links(const std::string &folder) {
    std::vector<std::string> links;
    const int dir_fd = open_private_folder(folder);
    if (dir_fd < 0) {
        return links;
    }
    const int list_fd = ::dup(dir_fd);
    DIR *dir = list_fd < 0 ? nullptr : ::fdopendir(list_fd);
    if (dir == nullptr) {
        if (list_fd >= 0) {
            ::close(list_fd);
        }
        ::close(dir_fd);
        return links;
    }
    std::vector<std::string> names;
    while (const dirent *e = ::readdir(dir)) {
        if (is_announcement_name(e->d_name)) {
            names.emplace_back(e->d_name);
        }
    }
    ::closedir(dir);
    std::sort(names.begin(), names.end());
    for (const std::string &name : names) {
        const std::string link = read_announcement(dir_fd, name);
        if (!link.empty() && users_terminal(link) &&
            std::find(links.begin(), links.end(), link) == links.end()) {
            links.push_back(link);
        }
    }
    ::close(dir_fd);
    return links;
}

}  // namespace zemlo
