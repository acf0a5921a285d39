// The line faults the emulator is asked to make: NAK every n-th frame from the PC, leave one frame
// unanswered, spoil the checksum of one of its own frames, wait before each message, and noise
// before each frame. Set from the control channel, consulted by the line reader and the service
// loop; thread-safe.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <random>

#include "control_command.h"

namespace handsim {

class FaultPlan {
  public:
    static constexpr size_t kMaxNoiseBytes = 6;

    // Takes a line fault command (and Clear, which also clears the service's faults); false for
    // any other command, which is not the line's business.
    bool apply(const ControlCommand &c);

    // What to do with a good frame from the PC.
    enum class PcFrame { Take, Nak, Drop };
    PcFrame on_pc_frame();

    // What to do to the handset's next frame: spoil its checksum, and noise to write before it.
    struct OwnFrame {
        bool corrupt = false;
        size_t noise_count = 0;
        std::array<uint8_t, kMaxNoiseBytes> noise{};
    };
    OwnFrame on_own_frame();

    uint32_t delay_ms();

  private:
    std::mutex mutex_;
    uint32_t nak_every_ = 0;
    uint32_t frames_for_nak_ = 0;
    uint32_t drop_ack_at_ = 0;
    uint32_t frames_for_drop_ = 0;
    uint32_t bad_checksum_at_ = 0;
    uint32_t own_frames_ = 0;
    uint32_t delay_ms_ = 0;
    bool noise_ = false;
    std::minstd_rand rng_{0x5eed};
};

}  // namespace handsim
