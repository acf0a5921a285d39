// Writes past a number of bytes of any file this process writes fail as on a full disk, while an
// object of this class lives: a file size limit makes write() fail part-way as a full disk does.
#pragma once

#include <signal.h>
#include <sys/resource.h>

namespace zemlo::testing {

class DiskFullAfter {
  public:
    explicit DiskFullAfter(rlim_t bytes) {
        ::getrlimit(RLIMIT_FSIZE, &saved_);
        rlimit limited = saved_;
        limited.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limited);
        // Over the limit the kernel would otherwise end the process instead of failing the write.
        previous_ = ::signal(SIGXFSZ, SIG_IGN);
    }
    ~DiskFullAfter() {
        ::setrlimit(RLIMIT_FSIZE, &saved_);
        ::signal(SIGXFSZ, previous_);
    }
    DiskFullAfter(const DiskFullAfter &) = delete;
    DiskFullAfter &operator=(const DiskFullAfter &) = delete;

  private:
    rlimit saved_{};
    sighandler_t previous_ = SIG_DFL;
};

}  // namespace zemlo::testing
