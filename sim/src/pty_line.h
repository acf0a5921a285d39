// The emulator's end of the cable: a pseudo-terminal whose slave side is published as a symlink,
// and pacing of both directions at a chosen baud rate (ten bit times a byte).
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>

namespace handsim {

using Clock = std::chrono::steady_clock;

class PtyLine {
  public:
    PtyLine() = default;
    ~PtyLine();
    PtyLine(const PtyLine &) = delete;
    PtyLine &operator=(const PtyLine &) = delete;

    // Opens a pseudo-terminal in raw mode and links its slave at link_path. An existing symlink
    // there is replaced; any other file is left alone and the open fails.
    bool open(const std::string &link_path, std::string *error);
    // Closes both sides (the PC sees a hang-up) and removes the link if it is still ours.
    void close();

    bool is_open() const { return master_ >= 0; }
    int fd() const { return master_; }
    const std::string &slave_name() const { return slave_name_; }

    // Writes every byte, waiting for room; false when the line is gone or stays full.
    bool write_all(const uint8_t *bytes, size_t count);

  private:
    int master_ = -1;
    int slave_ = -1;  // held open so that the master never reads a hang-up between PC sessions
    std::string slave_name_;
    std::string link_path_;
};

// Time on a line of a given speed. With baud 0 every byte takes no time.
class LinePacer {
  public:
    explicit LinePacer(uint32_t baud = 0) : baud_(baud) {}
    bool paced() const { return baud_ != 0; }
    Clock::duration byte_time() const;

    // The moment the next byte received could have finished arriving, given that it was seen
    // in the buffer at `seen`.
    Clock::time_point arrival(Clock::time_point seen);
    // Reserves the line for count bytes from the earliest free moment; returns when to start.
    Clock::time_point reserve(size_t count);

  private:
    uint32_t baud_;
    Clock::time_point free_at_{};
};

}  // namespace handsim
