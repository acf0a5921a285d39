// The sound system's libraries write their complaints (a card that is not there, a server that
// does not answer) straight on standard error, past the synthesizer's own log. While one of these
// lives, standard error goes nowhere; the command says what failed in its own words afterwards.
//
// The descriptor is process-wide: play holds it only around opening the audio output, on the
// thread that reports, before any thread of its own runs.
#pragma once

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>

namespace zemlo::cli {

class StderrSilenced {
  public:
    StderrSilenced() {
        std::fflush(stderr);
        const int null = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
        if (null < 0) {
            return;
        }
        saved_ = ::dup(STDERR_FILENO);
        if (saved_ >= 0 && ::dup2(null, STDERR_FILENO) < 0) {
            ::close(saved_);
            saved_ = -1;
        }
        ::close(null);
    }
    ~StderrSilenced() {
        std::fflush(stderr);
        if (saved_ >= 0) {
            ::dup2(saved_, STDERR_FILENO);
            ::close(saved_);
        }
    }
    StderrSilenced(const StderrSilenced &) = delete;
    StderrSilenced &operator=(const StderrSilenced &) = delete;

  private:
    int saved_ = -1;
};

}  // namespace zemlo::cli
