// What the fault sweep tries: each fault kind at each frame of an operation's own part of the
// exchange. The exchange comes from a fault-free run of the operation (the emulator numbers its
// frames); this file picks the operation's frames out of it and turns a fault at a frame into the
// emulator's control command. Pure.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "handsim/emulator.h"

namespace zemlo::sweep {

enum class FaultKind {
    Drop,      // the frame is lost on the line
    Damage,    // one byte of it changed: its checksum is wrong
    Twice,     // it arrives twice
    Delay,     // it arrives after the library's timeout
    Nak,       // answered with NAK instead of ACK
    LoseAck,   // its ACK is lost
    Withhold,  // the handset does what was asked but its reply never comes
    Event,     // a handset event (an incoming call) just before it
    HangUp,    // the line is lost at it
    Cancel,    // the user presses Cancel (Ctrl-C for the command line) as it goes
};

inline constexpr std::array<FaultKind, 10> kFaultKinds = {
    FaultKind::Drop,   FaultKind::Damage,  FaultKind::Twice,    FaultKind::Delay,
    FaultKind::Nak,    FaultKind::LoseAck, FaultKind::Withhold, FaultKind::Event,
    FaultKind::HangUp, FaultKind::Cancel};

std::string_view fault_kind_name(FaultKind kind);
std::optional<FaultKind> fault_kind_from_name(std::string_view name);

// The control command that places the fault at frame k (counted from the emulator's start), or
// nothing for Cancel, which the sweep itself presses when frame k goes by.
std::optional<std::string> fault_command(FaultKind kind, uint32_t k, uint32_t delay_ms);

// Whether a kind is tried at a frame. Withhold and Event are about whole messages of the handset:
// they are tried at the first frame of each of its messages (and at every frame of the PC's).
bool tried_at(FaultKind kind, const handsim::ExchangePoint &point);

// Which frames of a recorded exchange belong to an operation: from the first frame of the PC's
// message named in `starts` (or from the first frame, when it is empty) up to, not including,
// the first later frame of a PC message named in `ends` (or to the end).
struct SpanRule {
    std::vector<std::string> starts;
    std::vector<std::string> ends;
};

struct Span {
    uint32_t first = 0;
    uint32_t last = 0;  // inclusive

    uint32_t size() const { return last >= first ? last - first + 1 : 0; }
};

std::optional<Span> find_span(const std::vector<handsim::ExchangePoint> &exchange,
                              const SpanRule &rule);

// One run of the sweep: the fault and where.
struct PlannedRun {
    std::string operation;
    FaultKind kind = FaultKind::Drop;
    uint32_t point = 0;

    bool operator==(const PlannedRun &) const = default;
};

// Every run for one operation: each kind at each frame of its span where it is tried, frames
// inside `skip` left out (alike frames of a long transfer).
std::vector<PlannedRun> plan_runs(const std::string &operation,
                                  const std::vector<handsim::ExchangePoint> &exchange,
                                  const Span &span, const std::optional<Span> &skip = {});

// The runs of shard `index` (from 1) of `count`: every count-th run, so each shard gets its share
// of every operation and kind.
std::vector<PlannedRun> shard(const std::vector<PlannedRun> &runs, uint32_t index, uint32_t count);

}  // namespace zemlo::sweep
