// The converted file while a download sends it. The window thread may close it at any time (a
// handset event stops the download), so every use holds the lock, and a read after the close
// reads nothing.
#pragma once

#include <cstdint>
#include <cstdio>
#include <mutex>
#include <string>

namespace zemlo::app {

class SentFile {
  public:
    SentFile() = default;
    ~SentFile() { close(); }
    SentFile(const SentFile &) = delete;
    SentFile &operator=(const SentFile &) = delete;

    // Opens path for reading; *length receives its size.
    bool open(const std::string &path, int64_t *length);
    // Up to n bytes; 0 at the end or once closed.
    size_t read(uint8_t *buf, size_t n);
    void close();

  private:
    std::mutex mutex_;
    FILE *file_ = nullptr;
};

}  // namespace zemlo::app
