// The handset's reading of the filter matrix that the PC sends at setup: which signals it may
// report. Offsets inside the matrix are 8-bit, as the PC builds them, so a group's bitmap can alias
// another group's bytes; the handset reads exactly what it was given.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace handsim {

class FilterMatrix {
  public:
    FilterMatrix() = default;

    // Keeps a copy of the matrix bytes (at most kMaxBytes are kept).
    explicit FilterMatrix(const uint8_t *bytes, size_t size);

    // True when the matrix selects the signal: its group has a directory entry and the signal's bit
    // lies inside the bytes received and is set.
    bool selects(uint16_t signal_id) const;

    bool empty() const { return bytes_.empty(); }

    static constexpr size_t kMaxBytes = 1024;

  private:
    std::vector<uint8_t> bytes_;
};

}  // namespace handsim
