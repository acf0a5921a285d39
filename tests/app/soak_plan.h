// What one step of the fault soak does: an operation of the core and the fault injected into it,
// drawn from a seeded generator so that a run can be repeated exactly.
#pragma once

#include <array>
#include <cstdint>
#include <random>
#include <string>

namespace zemlo::soak {

enum class Fault {
    None,
    Nak,           // the handset refuses every frame of a data packet
    LostAck,       // one frame of a data packet goes unacknowledged
    BadChecksum,   // one of the handset's frames arrives corrupted
    Delay,         // every handset message comes late, within the timeout
    MissingReply,  // the handset ignores the command
    Event,         // a handset event (call, battery, time-out, user break)
    InUse,         // the file concerned is in use on the handset
    HangUp,        // the line closes in the middle of a download
    Noise,         // random bytes between the handset's frames
    Cancel,        // the user's Cancel in the wait window
};
inline constexpr size_t kFaultKinds = 11;

enum class Op { Download, Rename, Delete, Reconnect, Format, Idle };

const char *fault_name(Fault f);
const char *op_name(Op op);

struct Step {
    Op op = Op::Idle;
    Fault fault = Fault::None;
    uint32_t value = 0;  // packet number, delay, event code or choice, depending on the fault
};

// Draws the steps: each fault kind once, then by weight. The operation fits the fault: packet
// faults, hang-ups and Cancel hit downloads; a file in use hits rename or delete; a missing reply
// may hit any command.
class SoakPlan {
  public:
    explicit SoakPlan(uint64_t seed) : rng_(seed) {}

    Step next();
    // A uniform draw in [lo, hi].
    uint32_t pick(uint32_t lo, uint32_t hi) {
        return std::uniform_int_distribution<uint32_t>(lo, hi)(rng_);
    }
    bool coin(uint32_t percent) { return pick(1, 100) <= percent; }

  private:
    std::mt19937_64 rng_;
    size_t steps_ = 0;
};

}  // namespace zemlo::soak
