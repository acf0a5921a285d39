// Opening the file a conversion writes: the handset file, at a path the user may choose. A named
// pipe at that path would block the open until a reader came; the open never waits, and a pipe
// (or a socket) is refused. A device is written as a file is (that is how a full disk is tried
// out, with /dev/full); only a regular file is emptied first. The path is followed under the rule
// of zemlo/output_place.h: in a folder open to all, another user's link is not followed and
// nothing is made through a link to a missing file.
//
// A regular file (or none yet) is written beside the output under a hidden name and renamed over
// it once complete, so that a write that fails keeps the earlier file; the new file keeps the
// earlier one's mode, owner and group, and a signal that ends the program removes it
// (zemlo/staged_file.h).
#pragma once

#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <utility>

#include "zemlo/output_place.h"
#include "zemlo/staged_file.h"

namespace zemlo::media {

inline constexpr const char *kPipeNotFile = "a named pipe or socket, not a file";

// An output being written. Move only: it holds the folder the output goes to open, and a staged
// file that is neither placed nor dropped when it goes is dropped then.
struct OutputFile {
    OutputFile() = default;
    OutputFile(OutputFile &&other) noexcept
        : fd(std::exchange(other.fd, -1)),
          reason(std::move(other.reason)),
          place(std::move(other.place)),
          staged_name(std::move(other.staged_name)),
          staged(std::exchange(other.staged, StagedFile{})) {
        other.staged_name.clear();
    }
    OutputFile &operator=(OutputFile &&) = delete;
    OutputFile(const OutputFile &) = delete;
    OutputFile &operator=(const OutputFile &) = delete;
    ~OutputFile() {
        if (!staged_name.empty()) {
            ::unlinkat(place.dir_fd, staged_name.c_str(), 0);
            unlist_staged_file(staged);
        }
    }

    bool is_staged() const { return !staged_name.empty(); }

    int fd = -1;         // blocking, close-on-exec; the caller closes it
    std::string reason;  // why there is no descriptor, without the path
    PathEnd place;       // the folder the output goes to, open, and the output's name in it
    // When set, the descriptor writes this new file in that folder; place_output_file() gives it
    // the output's name.
    std::string staged_name;
    StagedFile staged;
};

namespace output_file_detail {

// "uid 1001 and group 50" of a file.
inline std::string owner_text(const struct stat &st) {
    return "user " + std::to_string(st.st_uid) + " and group " + std::to_string(st.st_gid);
}

}  // namespace output_file_detail

// A new, empty file beside the output, made with O_EXCL|O_NOFOLLOW under a random hidden name;
// false (fd -1) when the folder takes no new file, so that the output is written in place as
// before. It gets the mode, owner and group of the file it replaces (earlier), else the usual
// ones for a new file; when the owner or group cannot be kept, *refusal says so and nothing is
// made.
inline bool open_staged_output(OutputFile &out, const struct stat *earlier, std::string *refusal) {
    const std::string &name = out.place.name;
    if (name.empty() || name == "." || name == "..") {
        return false;
    }
    std::random_device random;
    for (int attempt = 0; attempt < 16; ++attempt) {
        char suffix[16];
        std::snprintf(suffix, sizeof suffix, "%08x", static_cast<unsigned>(random()));
        const std::string staged = "." + name + "." + suffix + ".part";
        if (staged.size() > NAME_MAX) {
            return false;
        }
        StagedFile file = create_staged_file(out.place.dir_fd, staged, 0666);
        if (file.fd < 0) {
            if (errno == EEXIST) {
                continue;
            }
            return false;
        }
        if (earlier != nullptr) {
            // Replacing another user's file (root converting over it, say) must not take it over.
            struct stat made {};
            const uid_t uid = earlier->st_uid;
            const gid_t gid = earlier->st_gid;
            if (::fstat(file.fd, &made) != 0 ||
                ((made.st_uid != uid || made.st_gid != gid) &&
                 ::fchown(file.fd, made.st_uid != uid ? uid : static_cast<uid_t>(-1),
                          made.st_gid != gid ? gid : static_cast<gid_t>(-1)) != 0)) {
                const int e = errno;
                ::close(file.fd);
                ::unlinkat(out.place.dir_fd, staged.c_str(), 0);
                unlist_staged_file(file);
                *refusal = "the file belongs to " + output_file_detail::owner_text(*earlier) +
                           ", which a new file of this user cannot keep (" + std::strerror(e) +
                           "); the earlier file is left as it was";
                return false;
            }
            (void)::fchmod(file.fd, earlier->st_mode & 07777);  // after the owner: chown clears
        }
        out.fd = file.fd;
        out.staged_name = staged;
        out.staged = file;
        return true;
    }
    return false;
}

inline OutputFile open_output_file(const std::string &path) {
    constexpr mode_t kOutputMode = 0666;  // narrowed by the user's umask, as for any new file
    const auto pipe_like = [](mode_t mode) { return S_ISFIFO(mode) || S_ISSOCK(mode); };
    OutputFile out;
    out.place = find_output_place(path);
    if (!out.place.ok()) {
        out.reason = output_place_reason(out.place);
        return out;
    }
    const PathEnd &at = out.place;
    // A regular file we may write, or none yet: staged. A file we may not write stays refused (by
    // the open below), and a device or anything else is written to as it is.
    const bool regular = at.exists && S_ISREG(at.st.st_mode);
    if (!at.exists || (regular && ::faccessat(at.dir_fd, at.name.c_str(), W_OK, 0) == 0)) {
        std::string refusal;
        if (open_staged_output(out, regular ? &at.st : nullptr, &refusal)) {
            return out;
        }
        if (!refusal.empty()) {
            out.reason = refusal;
            return out;
        }
    }
    // Checked first: opening a pipe without a reader for writing fails without saying why.
    if (at.exists && pipe_like(at.st.st_mode)) {
        out.reason = kPipeNotFile;
        return out;
    }
    const int fd =
        ::openat(at.dir_fd, at.name.c_str(),
                 O_WRONLY | O_CREAT | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY, kOutputMode);
    if (fd < 0) {
        out.reason = std::strerror(errno);
        return out;
    }
    // And on the descriptor, so that nothing swapped in between is written.
    struct stat info {};
    if (::fstat(fd, &info) != 0 || pipe_like(info.st_mode)) {
        out.reason = pipe_like(info.st_mode) ? kPipeNotFile : std::strerror(errno);
        ::close(fd);
        return out;
    }
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0 ||
        (S_ISREG(info.st_mode) && ::ftruncate(fd, 0) != 0)) {
        out.reason = std::strerror(errno);
        ::close(fd);
        return out;
    }
    out.fd = fd;
    return out;
}

// Gives a staged output the output's name, once all of it is written and closed; true at once for
// an output written in place. *why gets errno when it fails.
inline bool place_output_file(OutputFile &out, int *why) {
    if (!out.is_staged()) {
        return true;
    }
    const int dir_fd = out.place.dir_fd;
    if (::renameat(dir_fd, out.staged_name.c_str(), dir_fd, out.place.name.c_str()) != 0) {
        *why = errno;
        return false;
    }
    out.staged_name.clear();
    unlist_staged_file(out.staged);
    return true;
}

// Drops an output that could not be written in full: the staged file, or the regular file that was
// written in place, only while its name still refers to the file written (its fstat, when known),
// so that nothing put there since, or a device, is touched.
inline void drop_output_file(OutputFile &out, const struct stat *written) {
    const int dir_fd = out.place.dir_fd;
    if (out.is_staged()) {
        ::unlinkat(dir_fd, out.staged_name.c_str(), 0);
        out.staged_name.clear();
        unlist_staged_file(out.staged);
        return;
    }
    struct stat named {};
    if (dir_fd >= 0 && written != nullptr && S_ISREG(written->st_mode) &&
        ::fstatat(dir_fd, out.place.name.c_str(), &named, AT_SYMLINK_NOFOLLOW) == 0 &&
        S_ISREG(named.st_mode) && named.st_dev == written->st_dev &&
        named.st_ino == written->st_ino) {
        ::unlinkat(dir_fd, out.place.name.c_str(), 0);
    }
}

// Writes size bytes as the whole content of the output file. The writes, the flush to the disk
// and the close are all checked: when any fails (a full disk, /dev/full), what was written is
// dropped, an earlier file of that name stays as it was, and *error says why, with the path.
inline bool write_output_file(const std::string &path, const void *data, size_t size,
                              std::string *error) {
    OutputFile out = open_output_file(path);
    if (out.fd < 0) {
        *error = "cannot create " + path + ": " + out.reason;
        return false;
    }
    struct stat written {};
    const bool known = ::fstat(out.fd, &written) == 0;
    const auto *bytes = static_cast<const char *>(data);
    size_t done = 0;
    int why = 0;
    while (done < size) {
        const ssize_t put = ::write(out.fd, bytes + done, size - done);
        if (put < 0 && errno == EINTR) {
            continue;
        }
        if (put <= 0) {
            why = put < 0 ? errno : ENOSPC;  // a write of nothing is a full device
            break;
        }
        done += static_cast<size_t>(put);
    }
    // A staged file replaces the earlier one: its bytes are on the disk before its name is.
    if (why == 0 && out.is_staged() && ::fsync(out.fd) != 0) {
        why = errno;
    }
    if (::close(out.fd) != 0 && why == 0) {
        why = errno;
    }
    if (why == 0 && place_output_file(out, &why)) {
        return true;
    }
    drop_output_file(out, known ? &written : nullptr);
    *error = "cannot write " + path + ": " + std::strerror(why);
    return false;
}

}  // namespace zemlo::media
