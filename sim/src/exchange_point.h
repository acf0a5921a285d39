// What each frame of an exchange carries, in a few words ("rename", "reply", "data packet 2"),
// so that a recorded exchange reads as the operation it is and a sweep can pick an operation's
// frames out of it. Pure.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "segment_codec.h"

namespace handsim {

// The words for a frame the PC sent, when its payload starts a message; nothing for a later
// segment (it belongs to the message its first segment named).
std::optional<std::string> describe_pc_segment(const uint8_t *payload, size_t size);

// The words for a message the handset sends.
std::string describe_handset_message(uint16_t signal_id, const Bytes &body);

}  // namespace handsim
