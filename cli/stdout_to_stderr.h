// Standard output carries a command's results only; the picture converter library writes its
// diagnostic lines ("writing …") on standard output by contract. While one of these lives,
// whatever is written on standard output (through stdio or the descriptor) goes to standard
// error instead.
//
// The descriptor is process-wide: a result printed by another thread meanwhile would go to
// standard error too. The commands divert only around the conversion, on the thread that also
// prints their results, and no other thread prints on standard output then.
#pragma once

#include <unistd.h>

#include <cstdio>

namespace zemlo::cli {

class StdoutToStderr {
  public:
    StdoutToStderr() {
        // What is already buffered belongs to standard output.
        std::fflush(stdout);
        saved_ = ::dup(STDOUT_FILENO);
        if (saved_ >= 0 && ::dup2(STDERR_FILENO, STDOUT_FILENO) < 0) {
            ::close(saved_);
            saved_ = -1;
        }
    }
    ~StdoutToStderr() {
        // What was buffered meanwhile goes where it was written: to standard error.
        std::fflush(stdout);
        if (saved_ >= 0) {
            ::dup2(saved_, STDOUT_FILENO);
            ::close(saved_);
        }
    }
    StdoutToStderr(const StdoutToStderr &) = delete;
    StdoutToStderr &operator=(const StdoutToStderr &) = delete;

  private:
    int saved_ = -1;
};

}  // namespace zemlo::cli
