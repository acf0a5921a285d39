#include "zemlo/run_folder.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <csignal>
#include <cstddef>
#include <cstring>
#include <optional>
#include <vector>

#include "signals_held.h"
#include "zemlo/staged_file.h"
#include "zemlo/work_dir.h"

namespace zemlo {

namespace {

using detail::SignalsHeld;

constexpr const char *kRunsFolder = "zemlo-runs";
constexpr const char *kPrefix = "run-";
// Made first in every run's folder: a folder without it was not provably made by a run.
constexpr const char *kMarker = "zemlo-run.lock";
// The names a run makes in its folder: the capture, the converter's text, the file sent, the
// melody intermediates; and a file staged beside one of them (".tmp.dwn.1a2b3c4d.part").
constexpr const char *kRunFileNames[] = {"tmp.bmp", "tmp.el", "tmp.dwn", "melody.dat",
                                         "melody.tmp"};
constexpr size_t kStagedSuffixHex = 8;
constexpr size_t kSuffixChars = 6;
constexpr int kCreateAttempts = 16;
constexpr mode_t kFileMode = 0600;
constexpr size_t kNameBytes = 64;
constexpr size_t kDirentBuffer = 4096;
constexpr int kRemovalRounds = 8;

std::string errno_text(int error) {
    return std::strerror(error);
}

// --- removing a folder's contents, also from a signal handler ------------------------------------

// Unlinks every entry of the folder open as dir_fd: files and links by name (a link itself, never
// what it points to), an empty folder too. Reads the entries with getdents64 rather than readdir,
// which may allocate; removing while reading may skip entries, so it reads again until a round
// removes nothing.
void remove_entries(int dir_fd) noexcept {
    alignas(8) char buffer[kDirentBuffer];
    for (int round = 0; round < kRemovalRounds; ++round) {
        if (::lseek(dir_fd, 0, SEEK_SET) != 0) {
            return;
        }
        bool removed = false;
        for (;;) {
            const long got = ::syscall(SYS_getdents64, dir_fd, buffer, sizeof buffer);
            if (got <= 0) {
                break;
            }
            for (long at = 0; at < got;) {
                unsigned short length = 0;
                std::memcpy(&length, buffer + at + offsetof(struct dirent64, d_reclen),
                            sizeof length);
                const char *name = buffer + at + offsetof(struct dirent64, d_name);
                at += length;
                if (length == 0) {
                    return;
                }
                if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0) {
                    continue;
                }
                if (::unlinkat(dir_fd, name, 0) == 0 ||
                    ::unlinkat(dir_fd, name, AT_REMOVEDIR) == 0) {
                    removed = true;
                }
            }
        }
        if (!removed) {
            return;
        }
    }
}

bool same_file(const struct stat &a, const struct stat &b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Removes the folder `name` of runs_fd, open as dir_fd, provided the name still is that folder.
// From a signal handler the program's other threads still run, and one may put a file in the
// folder (a conversion's output) between the emptying and the removal: then it is emptied again.
bool remove_folder(int runs_fd, const char *name, int dir_fd) noexcept {
    for (int attempt = 0; attempt < kRemovalRounds; ++attempt) {
        remove_entries(dir_fd);
        struct stat held {};
        struct stat named {};
        if (::fstat(dir_fd, &held) != 0 ||
            ::fstatat(runs_fd, name, &named, AT_SYMLINK_NOFOLLOW) != 0 || !same_file(held, named)) {
            return false;
        }
        if (::unlinkat(runs_fd, name, AT_REMOVEDIR) == 0) {
            return true;
        }
        if (errno != ENOTEMPTY && errno != EEXIST) {
            return false;
        }
    }
    return false;
}

// --- the live runs of this process, for the signal handler ---------------------------------------

enum SlotState : int { kFree = 0, kBusy = 1, kLive = 2 };

struct Slot {
    std::atomic<int> state{kFree};
    int runs_fd = -1;
    int fd = -1;
    std::array<char, kNameBytes> name{};
};

constexpr size_t kSlots = 32;  // more live runs at once are still removed by the next run
std::array<Slot, kSlots> g_slots;

int claim_slot(int runs_fd, int fd, const std::string &name) {
    if (name.size() >= kNameBytes) {
        return -1;
    }
    for (size_t i = 0; i < kSlots; ++i) {
        int expected = kFree;
        if (g_slots[i].state.compare_exchange_strong(expected, kBusy)) {
            g_slots[i].runs_fd = runs_fd;
            g_slots[i].fd = fd;
            std::memcpy(g_slots[i].name.data(), name.c_str(), name.size() + 1);
            g_slots[i].state.store(kLive);
            return static_cast<int>(i);
        }
    }
    return -1;
}

void release_slot(int slot) {
    if (slot >= 0) {
        g_slots[static_cast<size_t>(slot)].state.store(kFree);
    }
}

// Set by the first fatal signal's handler: the cleaning is done once, and no later signal cuts it
// short.
std::atomic<bool> g_ending{false};

void on_fatal_signal(int sig) {
    const int saved = errno;
    if (g_ending.exchange(true)) {
        // Another thread is cleaning up already and ends the process when done; a second Ctrl-C
        // or kill must not end it before that (the fatal signals are held on this thread now).
        for (;;) {
            ::pause();
        }
    }
    // A thread inside a held section (making or removing its run's folder, making a staged
    // output) finishes it first.
    detail::wait_for_held_sections();
    remove_live_run_folders();
    remove_staged_files();
    // The default action ends the process once the handler returns (the signal is held until
    // then).
    ::signal(sig, SIG_DFL);
    ::raise(sig);
    errno = saved;
}

// --- making a run's folder
// ------------------------------------------------------------------------

std::string random_suffix() {
    static constexpr char kChars[] =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    std::array<unsigned char, kSuffixChars> bytes{};
    if (::getrandom(bytes.data(), bytes.size(), 0) != static_cast<ssize_t>(bytes.size())) {
        // Without the random source the name is still unique on this machine at this moment.
        static std::atomic<unsigned> counter{0};
        unsigned v = counter.fetch_add(1) ^ static_cast<unsigned>(::getpid()) ^
                     static_cast<unsigned>(reinterpret_cast<uintptr_t>(&bytes));
        for (auto &b : bytes) {
            b = static_cast<unsigned char>(v);
            v = v * 1103515245u + 12345u;
        }
    }
    std::string out;
    for (const unsigned char b : bytes) {
        out += kChars[b % (sizeof kChars - 1)];
    }
    return out;
}

// "run-<digits>-<six letters or digits>", as create_in() names a run's folder.
bool run_folder_name(const char *name) {
    const size_t prefix = std::strlen(kPrefix);
    if (std::strncmp(name, kPrefix, prefix) != 0) {
        return false;
    }
    const char *p = name + prefix;
    const char *digits = p;
    while (*p >= '0' && *p <= '9') {
        ++p;
    }
    if (p == digits || *p != '-') {
        return false;
    }
    ++p;
    size_t letters = 0;
    for (; std::isalnum(static_cast<unsigned char>(*p)) != 0; ++p) {
        ++letters;
    }
    return *p == '\0' && letters == kSuffixChars;
}

// Whether a run makes a file of this name in its folder.
bool run_file_name(const std::string &name) {
    for (const char *known : kRunFileNames) {
        const std::string k = known;
        if (name == k) {
            return true;
        }
        // Staged beside it: "." + k + "." + 8 hex digits + ".part".
        const std::string head = "." + k + ".";
        const std::string tail = ".part";
        if (name.size() == head.size() + kStagedSuffixHex + tail.size() &&
            name.compare(0, head.size(), head) == 0 &&
            name.compare(name.size() - tail.size(), tail.size(), tail) == 0 &&
            name.find_first_not_of("0123456789abcdef", head.size()) == name.size() - tail.size()) {
            return true;
        }
    }
    return name == kMarker;
}

// The names in the folder open as dir_fd when it provably belongs to an ended run: it holds the
// run's marker, and only regular files of the user's with the names a run makes. Nothing when
// anything else is there. An empty folder (a run killed between making it and its marker) gives
// an empty list.
std::optional<std::vector<std::string>> ended_run_files(int dir_fd, uid_t me) {
    const int list_fd = ::dup(dir_fd);
    if (list_fd < 0) {
        return std::nullopt;
    }
    DIR *dir = ::fdopendir(list_fd);
    if (dir == nullptr) {
        ::close(list_fd);
        return std::nullopt;
    }
    std::vector<std::string> names;
    bool marked = false;
    bool foreign = false;
    while (const struct dirent *e = ::readdir(dir)) {
        const std::string name = e->d_name;
        if (name == "." || name == "..") {
            continue;
        }
        struct stat st {};
        if (!run_file_name(name) ||
            ::fstatat(dir_fd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0 ||
            !S_ISREG(st.st_mode) || st.st_uid != me) {
            foreign = true;
            break;
        }
        marked = marked || name == kMarker;
        names.push_back(name);
    }
    ::closedir(dir);
    if (foreign || (!marked && !names.empty())) {
        return std::nullopt;
    }
    return names;
}

// Removes the folders of ended runs in the runs' folder open as runs_fd. A folder is removed only
// when all of this holds: its name is a run's, it is a folder of the user's (never a link), no
// live run holds its lock, and it holds the marker and nothing but the files a run makes; then
// only those files are removed, and the folder while its name still refers to it. Anything else
// is left as it is, never emptied.
size_t remove_ended_run_folders_at(int runs_fd) {
    const int list_fd = ::dup(runs_fd);
    if (list_fd < 0) {
        return 0;
    }
    DIR *dir = ::fdopendir(list_fd);
    if (dir == nullptr) {
        ::close(list_fd);
        return 0;
    }
    ::rewinddir(dir);
    std::vector<std::string> names;
    while (const struct dirent *e = ::readdir(dir)) {
        if (run_folder_name(e->d_name)) {
            names.emplace_back(e->d_name);
        }
    }
    ::closedir(dir);
    size_t removed = 0;
    const uid_t me = ::geteuid();
    for (const auto &name : names) {
        // O_NOFOLLOW: a link named like a run's folder is never followed; O_NONBLOCK: nothing
        // that is not a folder can make the open wait.
        const int fd = ::openat(runs_fd, name.c_str(),
                                O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) {
            continue;
        }
        struct stat st {};
        // The lock taken is the proof that no live run holds the folder.
        if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == me &&
            ::flock(fd, LOCK_EX | LOCK_NB) == 0) {
            if (const auto files = ended_run_files(fd, me)) {
                for (const auto &file : *files) {
                    ::unlinkat(fd, file.c_str(), 0);
                }
                struct stat named {};
                if (::fstatat(runs_fd, name.c_str(), &named, AT_SYMLINK_NOFOLLOW) == 0 &&
                    same_file(st, named) && ::unlinkat(runs_fd, name.c_str(), AT_REMOVEDIR) == 0) {
                    ++removed;
                }
            }
        }
        ::close(fd);
    }
    return removed;
}

// Opens the runs' folder inside the work folder open as work_fd, making it when missing; -1 with
// the reason in *error.
int open_runs_folder(int work_fd, const std::string &work_dir, bool make, std::string *error) {
    if (make && ::mkdirat(work_fd, kRunsFolder, kPrivateFolderMode) != 0 && errno != EEXIST) {
        *error = "cannot create " + work_dir + "/" + kRunsFolder + ": " + errno_text(errno);
        return -1;
    }
    const int fd = ::openat(work_fd, kRunsFolder,
                            O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        *error = "cannot open " + work_dir + "/" + kRunsFolder + ": " + errno_text(errno);
        return -1;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        *error = "cannot check " + work_dir + "/" + kRunsFolder + ": " + errno_text(errno);
        ::close(fd);
        return -1;
    }
    if (const std::string why = work_dir_fault(st, ::geteuid()); !why.empty()) {
        *error = "the folder " + work_dir + "/" + kRunsFolder + " " + why +
                 "; it is left as it is: remove it, or set ZEMLO_WORK_DIR";
        ::close(fd);
        return -1;
    }
    return fd;
}

}  // namespace

RunFolder::RunFolder(int runs_fd, int fd, std::string name, std::string path)
    : runs_fd_(runs_fd),
      fd_(fd),
      name_(std::move(name)),
      path_(std::move(path)),
      slot_(claim_slot(runs_fd, fd, name_)) {}

RunFolder::~RunFolder() {
    const SignalsHeld held_signals;  // the removal is finished before a signal ends the program
    if (slot_ >= 0) {
        g_slots[static_cast<size_t>(slot_)].state.store(kBusy);
    }
    remove_folder(runs_fd_, name_.c_str(), fd_);
    ::close(fd_);  // drops the lock, after the folder is gone
    ::close(runs_fd_);
    release_slot(slot_);
}

std::unique_ptr<RunFolder> RunFolder::create(std::string *error) {
    const auto work_dir = ensure_work_dir(error);
    if (!work_dir) {
        return nullptr;
    }
    return create_in(*work_dir, error);
}

std::unique_ptr<RunFolder> RunFolder::create_in(const std::string &work_dir, std::string *error) {
    const auto fail = [&](const std::string &why) -> std::unique_ptr<RunFolder> {
        if (error != nullptr) {
            *error = why;
        }
        return nullptr;
    };
    const int work_fd = ::open(work_dir.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (work_fd < 0) {
        return fail("cannot open the work folder " + work_dir + ": " + errno_text(errno));
    }
    // Checked again on the descriptor: the folder in use is the one that passed.
    struct stat st {};
    if (::fstat(work_fd, &st) != 0) {
        const int e = errno;
        ::close(work_fd);
        return fail("cannot check the work folder " + work_dir + ": " + errno_text(e));
    }
    if (const std::string why = work_dir_fault(st, ::geteuid()); !why.empty()) {
        ::close(work_fd);
        return fail("the work folder " + work_dir + " " + why);
    }
    // The runs live in a folder of the program's own, so that nothing of the user's in the work
    // folder shares their level, whatever its name.
    std::string why;
    const int runs_fd = open_runs_folder(work_fd, work_dir, true, &why);
    ::close(work_fd);
    if (runs_fd < 0) {
        return fail(why);
    }
    const std::string runs_dir = work_dir + "/" + kRunsFolder;
    remove_ended_run_folders_at(runs_fd);

    // A fatal signal between making the folder and listing it for the signal handler would leave
    // it behind: those signals wait until it is listed.
    const SignalsHeld held_signals;
    const std::string stem = std::string(kPrefix) + std::to_string(::getpid()) + "-";
    for (int attempt = 0; attempt < kCreateAttempts; ++attempt) {
        const std::string name = stem + random_suffix();
        if (::mkdirat(runs_fd, name.c_str(), kPrivateFolderMode) != 0) {
            if (errno == EEXIST) {
                continue;
            }
            const int e = errno;
            ::close(runs_fd);
            return fail("cannot create a folder in " + runs_dir + ": " + errno_text(e));
        }
        const int fd = ::openat(runs_fd, name.c_str(),
                                O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) {
            continue;  // removed at once by another run that took it for an ended one
        }
        // Taken by another run's removal between mkdirat and here: leave it to that run. A file
        // system without locks runs unlocked, and such a folder is then never taken for ended.
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK) {
            ::close(fd);
            continue;
        }
        struct stat held {};
        struct stat named {};
        if (::fstat(fd, &held) != 0 || held.st_nlink == 0 ||
            ::fstatat(runs_fd, name.c_str(), &named, AT_SYMLINK_NOFOLLOW) != 0 ||
            !same_file(held, named)) {
            ::close(fd);
            continue;
        }
        // The marker, first of all: it is what makes the folder provably a run's.
        const int marker =
            ::openat(fd, kMarker, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, kFileMode);
        if (marker < 0) {
            const int e = errno;
            remove_folder(runs_fd, name.c_str(), fd);
            ::close(fd);
            ::close(runs_fd);
            return fail("cannot create a folder of its own in " + runs_dir + ": " + errno_text(e));
        }
        ::close(marker);
        return std::unique_ptr<RunFolder>(new RunFolder(runs_fd, fd, name, runs_dir + "/" + name));
    }
    ::close(runs_fd);
    return fail("cannot create a folder of its own in " + runs_dir);
}

int RunFolder::create_file(const std::string &name, std::string *error) const {
    const int fd =
        ::openat(fd_, name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY,
                 kFileMode);
    if (fd < 0 && error != nullptr) {
        *error = "cannot create " + file(name) + ": " + errno_text(errno);
    }
    return fd;
}

bool RunFolder::make_empty_file(const std::string &name, std::string *error) const {
    const int fd = create_file(name, error);
    if (fd < 0) {
        return false;
    }
    ::close(fd);
    return true;
}

size_t remove_ended_run_folders(const std::string &work_dir) {
    const int work_fd = ::open(work_dir.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (work_fd < 0) {
        return 0;
    }
    std::string why;
    const int runs_fd = open_runs_folder(work_fd, work_dir, false, &why);
    ::close(work_fd);
    if (runs_fd < 0) {
        return 0;
    }
    const size_t removed = remove_ended_run_folders_at(runs_fd);
    ::close(runs_fd);
    return removed;
}

void remove_live_run_folders() noexcept {
    for (auto &slot : g_slots) {
        if (slot.state.load() == kLive) {
            remove_folder(slot.runs_fd, slot.name.data(), slot.fd);
        }
    }
}

void remove_run_folders_when_signalled() {
    struct sigaction sa {};
    sa.sa_handler = &on_fatal_signal;
    // Not reset to the default on delivery: a second signal during the cleaning would end the
    // program half way through it. Each of the three is held while the handler runs.
    ::sigemptyset(&sa.sa_mask);
    for (const int sig : {SIGINT, SIGTERM, SIGHUP}) {
        ::sigaddset(&sa.sa_mask, sig);
    }
    for (const int sig : {SIGINT, SIGTERM, SIGHUP}) {
        // A signal the program was started to ignore (nohup, a background job) stays ignored.
        struct sigaction before {};
        if (::sigaction(sig, nullptr, &before) == 0 && before.sa_handler != SIG_IGN) {
            ::sigaction(sig, &sa, nullptr);
        }
    }
}

}  // namespace zemlo
