// The handset's side of the link's segments: it reassembles the PC's messages (signal form in
// 0xD3 segments whose first carries the big-endian total length, command form in one 0xD5
// segment) and cuts its own messages into 0xD4 segments of the long-header form.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace handsim {

using Bytes = std::vector<uint8_t>;

// One message from the PC, complete.
struct PcMessage {
    enum class Form { Signal, Command };
    Form form = Form::Signal;
    Bytes bytes;  // the message bytes (signal form: sender, receiver, reserved, length, id, body)
};

// The fields of a signal-form message. The body is bounded by the message's own length.
struct SignalMessage {
    uint8_t sender = 0;
    uint8_t receiver = 0;
    uint16_t signal_id = 0;
    Bytes body;
};

std::optional<SignalMessage> parse_signal_message(const Bytes &message);

class SegmentAssembler {
  public:
    enum class Verdict {
        Accepted,  // ACK: the segment was taken (a message may now be complete)
        Ignored,   // ACK: an unknown segment type, dropped as the PC's own link does
        Refused,   // NAK: the segment contradicts the message it belongs to
    };

    // Takes one frame payload. When it completes a message, *complete receives it.
    Verdict push(const uint8_t *payload, size_t size, std::optional<PcMessage> *complete);

    void reset();

    // Largest message accepted; the PC's own requests are far smaller.
    static constexpr size_t kMaxMessageBytes = 4096;

  private:
    bool in_message_ = false;
    PcMessage::Form form_ = PcMessage::Form::Signal;
    size_t expected_ = 0;
    Bytes bytes_;
};

// The frame payloads of one long-header message from the handset: 0xD4, sequence (0, 1, ...; 0xFF
// on the last), then up to 253 message bytes each.
Bytes long_header_message(uint8_t sender, uint8_t receiver, uint16_t signal_id, const uint8_t *body,
                          size_t body_size);
std::vector<Bytes> split_long_header(const Bytes &message);
std::vector<Bytes> long_header_segments(uint8_t sender, uint8_t receiver, uint16_t signal_id,
                                        const uint8_t *body, size_t body_size);

}  // namespace handsim
