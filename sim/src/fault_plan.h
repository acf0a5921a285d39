// The line faults the emulator is asked to make: NAK every n-th frame from the PC, leave one frame
// unanswered, spoil the checksum of one of its own frames, wait before each message, noise before
// each frame, and one fault placed at an exact frame of the exchange. To place those it numbers
// every frame either way and keeps the list. Set from the control channel, consulted by the line
// reader and the service loop; thread-safe.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "control_command.h"
#include "handsim/emulator.h"

namespace handsim {

class FaultPlan {
  public:
    static constexpr size_t kMaxNoiseBytes = 6;
    static constexpr size_t kMaxRecordedPoints = 100000;

    // on_point is told of each frame as it is numbered, outside the plan's lock.
    explicit FaultPlan(std::function<void(const ExchangePoint &)> on_point = {})
        : on_point_(std::move(on_point)) {}

    // Takes a line fault command (and Clear, which also clears the service's faults); false for
    // any other command, which is not the line's business.
    bool apply(const ControlCommand &c);

    // A fault placed at this frame, with its delay or event code.
    struct Placed {
        PointFault fault = PointFault::Drop;
        uint32_t argument = 0;
    };

    // What to do with a good frame from the PC.
    enum class PcFrame { Take, Nak, Drop };
    struct PcFrameFaults {
        PcFrame frame = PcFrame::Take;
        std::optional<Placed> placed;
    };
    // message: the words for the message the frame belongs to, segment its place in it.
    PcFrameFaults on_pc_frame(const std::string &message, uint32_t segment);

    // What to do to the handset's next frame: spoil its checksum, noise to write before it, and a
    // fault placed at it.
    struct OwnFrame {
        bool corrupt = false;
        size_t noise_count = 0;
        std::array<uint8_t, kMaxNoiseBytes> noise{};
        std::optional<Placed> placed;
    };
    OwnFrame on_own_frame(const std::string &message, uint32_t segment);

    uint32_t delay_ms();
    std::vector<ExchangePoint> exchange() const;

  private:
    // Caller holds mutex_: numbers the frame, records it and takes the fault placed at it.
    std::optional<Placed> next_point(bool from_pc, const std::string &message, uint32_t segment,
                                     ExchangePoint *point);
    void tell(const ExchangePoint &point) const;

    const std::function<void(const ExchangePoint &)> on_point_;
    mutable std::mutex mutex_;
    uint32_t nak_every_ = 0;
    uint32_t frames_for_nak_ = 0;
    uint32_t drop_ack_at_ = 0;
    uint32_t frames_for_drop_ = 0;
    uint32_t bad_checksum_at_ = 0;
    uint32_t own_frames_ = 0;
    uint32_t delay_ms_ = 0;
    bool noise_ = false;
    std::minstd_rand rng_{0x5eed};

    struct Armed {
        uint32_t at = 0;  // the frame's number
        Placed placed;
    };
    uint32_t points_ = 0;
    std::vector<Armed> armed_;
    std::vector<ExchangePoint> exchange_;
};

}  // namespace handsim
