// The bodies the program sends with phiQntDlwRemoteCmd and the reply it reads back.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "handlink.h"
#include "zemlo/byte_order.h"
#include "zemlo/handset_records.h"

namespace zemlo::app {

inline std::vector<uint8_t> command_body(const records::RemoteCommand &command) {
    const auto body = records::encode_remote_command(command);
    return std::vector<uint8_t>(body.begin(), body.end());
}

// A reply buffer as long as any confirmation the library can copy, preset as the caller needs:
// a command that gets no answer leaves the preset in place.
inline std::vector<uint8_t> preset_reply(uint16_t result = 0) {
    std::vector<uint8_t> reply(HL_MAX_REPLY_BYTES, 0);
    write_le16(&reply[records::kReplyResultOffset], result);
    return reply;
}

inline uint16_t reply_status(const std::vector<uint8_t> &reply) {
    return read_le16(&reply[records::kReplyStatusOffset]);
}

inline uint16_t reply_result(const std::vector<uint8_t> &reply) {
    return read_le16(&reply[records::kReplyResultOffset]);
}

}  // namespace zemlo::app
