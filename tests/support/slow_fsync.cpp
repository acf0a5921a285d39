// A disk that takes for ever to flush one file, for a program run with this library preloaded
// (LD_PRELOAD): fsync of a descriptor whose path contains $ZEMLO_SLOW_FSYNC_MATCH writes that path
// to the file $ZEMLO_SLOW_FSYNC_NOTE, then waits until a signal ends the program. Every other
// fsync is the C library's. A test then knows the program is in the middle of writing that file
// and can signal it there.
#include <dlfcn.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

extern "C" int fsync(int fd) {
    const char *match = std::getenv("ZEMLO_SLOW_FSYNC_MATCH");
    const char *note = std::getenv("ZEMLO_SLOW_FSYNC_NOTE");
    char link[64];
    char target[4096];
    std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    const ssize_t n = ::readlink(link, target, sizeof target - 1);
    if (match != nullptr && note != nullptr && n > 0) {
        target[n] = '\0';
        if (std::strstr(target, match) != nullptr) {
            // Written beside it and renamed: the note appears whole or not at all.
            char part[4096];
            std::snprintf(part, sizeof part, "%s.part", note);
            const int out = ::open(part, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
            if (out >= 0) {
                [[maybe_unused]] const ssize_t put = ::write(out, target, static_cast<size_t>(n));
                ::close(out);
                ::rename(part, note);
            }
            for (;;) {
                ::pause();
            }
        }
    }
    using Fsync = int (*)(int);
    const auto next = reinterpret_cast<Fsync>(::dlsym(RTLD_NEXT, "fsync"));
    return next != nullptr ? next(fd) : -1;
}
