#include "exchange_point.h"

#include <cstdio>

#include "download_service.h"
#include "zemlo/byte_order.h"
#include "zemlo/handset_records.h"
#include "zemlo/wire/frame_format.h"

namespace handsim {

namespace rec = zemlo::records;
namespace wire = zemlo::wire;

namespace {

// Signal form: sender, receiver, reserved (2), body length (2), signal id (2), then the body.
constexpr size_t kSignalIdOffset = 6;
constexpr size_t kBodyOffset = 8;

std::string packet_words(const uint8_t *body, size_t size, const char *prefix) {
    if (size < rec::kPacketDataOffset + 1) {
        return std::string(prefix) + "packet";
    }
    const uint16_t sequence = zemlo::read_le16(&body[rec::kPacketSequenceOffset]);
    const uint8_t marker = body[rec::kPacketDataOffset];
    if (sequence == 0 && marker == rec::kStartMarker) {
        return std::string(prefix) + "start";
    }
    if (sequence == 0 && marker == rec::kEndMarker) {
        return std::string(prefix) + "end";
    }
    return std::string(prefix) + "packet " + std::to_string(sequence);
}

std::string signal_words(uint16_t id) {
    char text[16];
    std::snprintf(text, sizeof text, "signal 0x%04X", id);
    return text;
}

std::string action_words(uint16_t action) {
    switch (action) {
        case rec::kActionPreview:
            return "action preview";
        case rec::kActionSave:
            return "action keep";
        case rec::kActionDiscard:
            return "action discard";
        default:
            return "action";
    }
}

}  // namespace

std::optional<std::string> describe_pc_segment(const uint8_t *payload, size_t size) {
    if (size < wire::kFirstSegmentHeaderBytes) {
        return std::nullopt;
    }
    const uint8_t type = payload[0];
    const uint8_t sequence = payload[1];
    if (sequence != 0 && sequence != wire::kLastSequence) {
        return std::nullopt;
    }
    if (type == wire::kSegmentCommand) {
        return "setup";
    }
    if (type != wire::kSegmentSignal) {
        return std::nullopt;
    }
    const uint8_t *message = payload + wire::kFirstSegmentHeaderBytes;
    const size_t message_size = size - wire::kFirstSegmentHeaderBytes;
    if (message_size < kBodyOffset) {
        return std::nullopt;
    }
    const uint16_t signal = zemlo::read_le16(&message[kSignalIdOffset]);
    const uint8_t *body = message + kBodyOffset;
    const size_t body_size = message_size - kBodyOffset;
    switch (signal) {
        case rec::kSigTinyFilterMatrix:
            return "filter";
        case rec::kSigDownloadAckRsp:
            return "listing ack";
        case rec::kSigDownloadDataInd: {
            const std::string words = packet_words(body, body_size, "");
            return words.rfind("packet", 0) == 0 ? "data " + words : words + " packet";
        }
        case rec::kSigDlwRemoteCmdInd: {
            if (body_size < rec::kCmdActionOffset + 2) {
                return "command";
            }
            rec::RemoteCommand c;
            c.group = zemlo::read_le16(&body[rec::kCmdGroupOffset]);
            c.code = zemlo::read_le16(&body[rec::kCmdCodeOffset]);
            const CommandName name = classify_command(c);
            if (name == CommandName::Action) {
                return action_words(zemlo::read_le16(&body[rec::kCmdActionOffset]));
            }
            return std::string(command_name(name));
        }
        default:
            return signal_words(signal);
    }
}

std::string describe_handset_message(uint16_t signal_id, const Bytes &body) {
    switch (signal_id) {
        case rec::kSigDlwRemoteCmdRsp:
            return "reply";
        case rec::kSigDlwRemoteCmdInd:
            return "event";
        case rec::kSigDownloadAckRsp:
            return "packet ack";
        case rec::kSigDownloadDataInd:
            return packet_words(body.data(), body.size(), "listing ");
        default:
            return signal_words(signal_id);
    }
}

}  // namespace handsim
