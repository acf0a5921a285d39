#include "soak_plan.h"

namespace zemlo::soak {

namespace {

// Relative weights of the faults. Faults that drop the connection cost a reconnect (about two
// seconds of settle time) and missing replies a full timeout, so they are drawn less often.
constexpr std::array<uint32_t, kFaultKinds> kWeights = {
    30,  // None
    6,   // Nak
    8,   // LostAck
    8,   // BadChecksum
    6,   // Delay
    6,   // MissingReply
    6,   // Event
    8,   // InUse
    5,   // HangUp
    8,   // Noise
    9,   // Cancel
};

}  // namespace

const char *fault_name(Fault f) {
    static constexpr std::array<const char *, kFaultKinds> kNames = {
        "none",  "nak",    "lost-ack", "bad-checksum", "delay", "missing-reply",
        "event", "in-use", "hang-up",  "noise",        "cancel"};
    return kNames[static_cast<size_t>(f)];
}

const char *op_name(Op op) {
    switch (op) {
        case Op::Download:
            return "download";
        case Op::Rename:
            return "rename";
        case Op::Delete:
            return "delete";
        case Op::Reconnect:
            return "reconnect";
        case Op::Format:
            return "format";
        case Op::Idle:
            return "idle";
    }
    return "?";
}

Step SoakPlan::next() {
    uint32_t total = 0;
    for (uint32_t w : kWeights) {
        total += w;
    }
    size_t kind = 0;
    if (steps_ < kFaultKinds) {
        kind = steps_;  // every kind once first, so that even a short run meets them all
    } else {
        uint32_t draw = pick(1, total);
        while (draw > kWeights[kind]) {
            draw -= kWeights[kind];
            ++kind;
        }
    }
    ++steps_;
    Step s;
    s.fault = static_cast<Fault>(kind);
    switch (s.fault) {
        case Fault::Nak:
        case Fault::LostAck:
        case Fault::HangUp:
        case Fault::Cancel:
            s.op = Op::Download;
            break;
        case Fault::Event:
            s.op = coin(70) ? Op::Download : Op::Idle;
            s.value = pick(1, 5);  // event code; 4 and 5 are codes the table does not name
            break;
        case Fault::InUse:
            s.op = coin(50) ? Op::Rename : Op::Delete;
            break;
        case Fault::Delay:
            s.value = pick(50, 400);
            [[fallthrough]];
        case Fault::BadChecksum:
        case Fault::Noise:
        case Fault::MissingReply:
        case Fault::None: {
            const uint32_t r = pick(1, 100);
            s.op = r <= 50   ? Op::Download
                   : r <= 68 ? Op::Rename
                   : r <= 85 ? Op::Delete
                   : r <= 97 ? Op::Reconnect
                             : Op::Format;
            // The format's own short reply wait leaves no room for injected line trouble.
            if (s.op == Op::Format && s.fault != Fault::None) {
                s.op = Op::Reconnect;
            }
            break;
        }
    }
    if (s.fault == Fault::BadChecksum) {
        s.value = pick(1, 3);
    }
    return s;
}

}  // namespace zemlo::soak
