// Standard output carries a command's results only; the picture converter library writes its
// diagnostic lines ("writing …") on standard output by contract. While one of these lives,
// whatever is written on standard output (through stdio or the descriptor) is held back, and goes
// to standard error only when asked: the conversion failed (pass_on), or the user wants to see it
// (--verbose). On success the lines would only break the progress line and the per-handset lines.
//
// The descriptor is process-wide: a result printed by another thread meanwhile would be held too.
// The commands divert only around the conversion, on the thread that also prints their results,
// and no other thread prints on standard output then.
#pragma once

#include <unistd.h>

#include <cstdio>

namespace zemlo::cli {

class StdoutToStderr {
  public:
    // verbose: what is written goes straight to standard error, nothing held.
    explicit StdoutToStderr(bool verbose = false) {
        // What is already buffered belongs to standard output.
        std::fflush(stdout);
        held_ = verbose ? nullptr : std::tmpfile();
        const int target = held_ != nullptr ? ::fileno(held_) : STDERR_FILENO;
        saved_ = ::dup(STDOUT_FILENO);
        if (saved_ >= 0 && ::dup2(target, STDOUT_FILENO) < 0) {
            ::close(saved_);
            saved_ = -1;
        }
    }
    ~StdoutToStderr() {
        restore();
        if (held_ != nullptr) {
            std::fclose(held_);
        }
    }
    StdoutToStderr(const StdoutToStderr &) = delete;
    StdoutToStderr &operator=(const StdoutToStderr &) = delete;

    // Gives standard output back and shows on standard error what was held: the conversion
    // failed, and its lines may say why.
    void pass_on() {
        restore();
        if (held_ == nullptr) {
            return;
        }
        std::rewind(held_);
        char buffer[4096];
        size_t n = 0;
        while ((n = std::fread(buffer, 1, sizeof buffer, held_)) > 0) {
            std::fwrite(buffer, 1, n, stderr);
        }
        std::fflush(stderr);
        std::fclose(held_);
        held_ = nullptr;
    }

  private:
    void restore() {
        // What was buffered meanwhile goes where it was written.
        std::fflush(stdout);
        if (saved_ >= 0) {
            ::dup2(saved_, STDOUT_FILENO);
            ::close(saved_);
            saved_ = -1;
        }
    }

    std::FILE *held_ = nullptr;
    int saved_ = -1;
};

}  // namespace zemlo::cli
