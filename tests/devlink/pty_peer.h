// A scripted peer on a pseudo-terminal: the test holds the master side and plays the handset, the
// library opens the slave device as its serial port. The byte helpers build and read frames.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace handlink::testing {

using Bytes = std::vector<uint8_t>;
using std::chrono::milliseconds;

inline constexpr milliseconds kPeerTimeout{2000};

class PtyPeer {
  public:
    PtyPeer();
    ~PtyPeer();
    PtyPeer(const PtyPeer &) = delete;
    PtyPeer &operator=(const PtyPeer &) = delete;

    bool ok() const { return master_ >= 0; }
    // The slave device the library opens (also reachable through set_port_device).
    const std::string &device() const { return device_; }
    int master_fd() const { return master_; }

    bool write(const Bytes &bytes);
    bool write_byte(uint8_t byte) { return write(Bytes{byte}); }
    // Reads exactly count bytes; fewer when the timeout passes first.
    Bytes read(size_t count, milliseconds timeout = kPeerTimeout);
    std::optional<uint8_t> read_byte(milliseconds timeout = kPeerTimeout);
    // Reads one whole frame, STX to ETX, skipping nothing; empty on timeout or when the first byte
    // is not STX.
    Bytes read_frame(milliseconds timeout = kPeerTimeout);
    // Everything that arrives until the line has been quiet for quiet.
    Bytes drain(milliseconds quiet);

  private:
    int master_ = -1;
    int slave_ = -1;  // kept open so the master never sees a hang-up between the library's opens
    std::string device_;
};

// The complete frame around payload (1 to 255 bytes).
Bytes frame_of(const Bytes &payload);
// A frame with a 256-byte payload announced by a length byte of 0.
Bytes long_frame_of(const Bytes &payload);

}  // namespace handlink::testing
