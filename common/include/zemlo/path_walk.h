// Following a path as the kernel does, one name at a time, so that every symbolic link met on
// the way is judged before it is followed: where the program writes a file (an output, a trace)
// and where its work folder lies. Each folder is held open (O_PATH) while the next name is looked
// up in it, and entered with O_NOFOLLOW, so a folder swapped for a link after it was looked at is
// never entered.
#pragma once

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <deque>
#include <functional>
#include <string>
#include <utility>

namespace zemlo {

inline constexpr int kMostLinksFollowed = 40;  // as many as the kernel follows in one path

// Whether a link may be followed: empty when it may, else why not, naming it. `link` is the
// link's own lstat, `folder` the stat of the folder that holds it, `shown` its path.
using LinkRule = std::function<std::string(const struct stat &link, const struct stat &folder,
                                           const std::string &shown)>;

// A folder others may write to, where only the sticky bit keeps them from each other's names
// (as /tmp): a link there may have been planted by anyone.
inline bool shared_folder(const struct stat &st) {
    return S_ISDIR(st.st_mode) && (st.st_mode & S_ISVTX) != 0 && (st.st_mode & S_IWOTH) != 0;
}

namespace path_walk_detail {

inline std::string joined(const std::string &dir, const std::string &name) {
    return dir.empty() || dir.back() == '/' ? dir + name : dir + "/" + name;
}

inline std::string parent_of(const std::string &path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

// The names of path in order, in front of `names`. A path ending in '/' names a folder: its last
// name is then "." of that folder, so that nothing is ever made in its place.
inline void push_names(const std::string &path, std::deque<std::string> &names) {
    std::deque<std::string> parts;
    size_t at = 0;
    while (at < path.size()) {
        const size_t slash = path.find('/', at);
        const size_t end = slash == std::string::npos ? path.size() : slash;
        if (end > at) {
            parts.push_back(path.substr(at, end - at));
        }
        at = end + 1;
    }
    if (!path.empty() && path.back() == '/') {
        parts.push_back(".");
    }
    names.insert(names.begin(), parts.begin(), parts.end());
}

}  // namespace path_walk_detail

// Where a walk ended: the folder holding the last name, open, and that name, which is never a
// link (a link there was followed). Owns the folder's descriptor.
class PathEnd {
  public:
    PathEnd() = default;
    ~PathEnd() {
        if (dir_fd >= 0) {
            ::close(dir_fd);
        }
    }
    PathEnd(PathEnd &&other) noexcept { *this = std::move(other); }
    PathEnd &operator=(PathEnd &&other) noexcept {
        if (this != &other) {
            if (dir_fd >= 0) {
                ::close(dir_fd);
            }
            dir_fd = std::exchange(other.dir_fd, -1);
            dir = std::move(other.dir);
            name = std::move(other.name);
            exists = other.exists;
            st = other.st;
            shared_link = std::move(other.shared_link);
            error = other.error;
            refusal = std::move(other.refusal);
        }
        return *this;
    }
    PathEnd(const PathEnd &) = delete;
    PathEnd &operator=(const PathEnd &) = delete;

    bool ok() const { return dir_fd >= 0 && error == 0 && refusal.empty(); }
    // The last name's path with every link resolved.
    std::string path() const {
        if (name == ".") {
            return dir;
        }
        return name == ".." ? path_walk_detail::parent_of(dir)
                            : path_walk_detail::joined(dir, name);
    }

    int dir_fd = -1;      // O_PATH; -1 when the walk failed
    std::string dir;      // the folder's path, every link resolved
    std::string name;     // the last name; it may not exist
    bool exists = false;  // st holds its lstat
    struct stat st {};
    // A link in a shared folder (shared_folder()) that the last name was reached through, when
    // there was one: through such a link nothing is made that does not exist yet.
    std::string shared_link;
    int error = 0;        // errno when the walk could not go on (a missing folder, too many links)
    std::string refusal;  // the rule's reason when a link was not followed
};

// Walks path from the working folder (or from "/"), following each link the rule allows. A path
// whose last name does not exist ends there, with exists false.
inline PathEnd walk_path(const std::string &path, const LinkRule &rule) {
    using path_walk_detail::joined;
    PathEnd end;
    if (path.empty()) {
        end.error = ENOENT;
        return end;
    }
    std::deque<std::string> names;
    path_walk_detail::push_names(path, names);
    const auto start_at_root = [&end] {
        if (end.dir_fd >= 0) {
            ::close(end.dir_fd);
        }
        end.dir_fd = ::open("/", O_PATH | O_DIRECTORY | O_CLOEXEC);
        end.dir = "/";
    };
    if (path[0] == '/') {
        start_at_root();
    } else {
        end.dir_fd = ::open(".", O_PATH | O_DIRECTORY | O_CLOEXEC);
        char cwd[PATH_MAX];
        end.dir = ::getcwd(cwd, sizeof cwd) != nullptr ? cwd : ".";
    }
    if (end.dir_fd < 0) {
        end.error = errno;
        return end;
    }
    if (names.empty()) {
        names.push_back(".");  // "/" itself
    }
    int links = 0;
    int swaps = 0;
    while (!names.empty()) {
        const std::string name = names.front();
        names.pop_front();
        const bool last = names.empty();
        if (name == "." && !last) {
            continue;
        }
        struct stat st {};
        if (::fstatat(end.dir_fd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
            if (errno == ENOENT && last) {
                end.name = name;
                return end;
            }
            end.error = errno;
            return end;
        }
        if (S_ISLNK(st.st_mode)) {
            struct stat folder {};
            if (::fstat(end.dir_fd, &folder) != 0) {
                end.error = errno;
                return end;
            }
            const std::string shown = joined(end.dir, name);
            if (std::string why = rule(st, folder, shown); !why.empty()) {
                end.refusal = std::move(why);
                return end;
            }
            if (++links > kMostLinksFollowed) {
                end.error = ELOOP;
                return end;
            }
            char target[PATH_MAX];
            const ssize_t n = ::readlinkat(end.dir_fd, name.c_str(), target, sizeof target - 1);
            if (n <= 0 || static_cast<size_t>(n) >= sizeof target - 1) {
                end.error = n == 0 ? ENOENT : n > 0 ? ENAMETOOLONG : errno;
                return end;
            }
            const std::string to(target, static_cast<size_t>(n));
            if (last && shared_folder(folder)) {
                end.shared_link = shown;
            }
            path_walk_detail::push_names(to, names);
            if (to[0] == '/') {
                start_at_root();
                if (end.dir_fd < 0) {
                    end.error = errno;
                    return end;
                }
                if (names.empty()) {
                    names.push_back(".");
                }
            }
            continue;
        }
        if (last) {
            end.name = name;
            end.exists = true;
            end.st = st;
            return end;
        }
        if (!S_ISDIR(st.st_mode)) {
            end.error = ENOTDIR;
            return end;
        }
        const int next =
            ::openat(end.dir_fd, name.c_str(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (next < 0) {
            // Swapped for a link or a file since it was looked at: looked at again, a few times.
            if ((errno == ELOOP || errno == ENOTDIR) && ++swaps < kMostLinksFollowed) {
                names.push_front(name);
                continue;
            }
            end.error = errno;
            return end;
        }
        ::close(end.dir_fd);
        end.dir_fd = next;
        end.dir = name == ".." ? path_walk_detail::parent_of(end.dir) : joined(end.dir, name);
    }
    return end;
}

}  // namespace zemlo
