// The handset link's wire format as both ends see it: a frame is STX, LEN, payload, XOR checksum,
// ETX; ACK and NAK travel as single bytes between frames. A frame's payload is one segment: type,
// sequence number, then message bytes. The PC's link library and the handset emulator each include
// this header by its path and build their own sender and receiver on it, so that a mistake in one
// end's framing shows up as a failure against the other instead of being shared by both.
#pragma once

#include <cstddef>
#include <cstdint>

namespace zemlo::wire {

// --- Frame ---------------------------------------------------------------------------------------
inline constexpr uint8_t kStx = 0x02;
inline constexpr uint8_t kEtx = 0x03;
inline constexpr uint8_t kAck = 0x06;
inline constexpr uint8_t kNak = 0x15;

inline constexpr size_t kMaxFramePayload = 255;     // what a sender puts in LEN
inline constexpr size_t kMaxReceivedPayload = 256;  // a received LEN of 0 counts 256 bytes
inline constexpr size_t kFrameOverhead = 4;         // STX, LEN, CHK, ETX
inline constexpr size_t kFrameLengthOffset = 1;
inline constexpr size_t kFramePayloadOffset = 2;

// --- Segment -------------------------------------------------------------------------------------
// Segment types (payload byte 0): the PC's signal and command forms, the handset's long header.
inline constexpr uint8_t kSegmentSignal = 0xD3;
inline constexpr uint8_t kSegmentLongHeader = 0xD4;
inline constexpr uint8_t kSegmentCommand = 0xD5;
// Payload byte 1 numbers a message's segments 0, 1, ...; its last segment carries this instead.
inline constexpr uint8_t kLastSequence = 0xFF;

inline constexpr size_t kSegmentHeaderBytes = 2;  // type, sequence
// The PC's first segment adds the message's total length, big-endian, after the sequence number.
inline constexpr size_t kFirstSegmentHeaderBytes = 4;
inline constexpr size_t kMessageLengthOffset = 2;
// Message bytes per segment: a later segment (and every handset segment) carries 253, the PC's
// first segment 251.
inline constexpr size_t kSegmentMessageBytes = kMaxFramePayload - kSegmentHeaderBytes;
inline constexpr size_t kFirstSegmentMessageBytes = kMaxFramePayload - kFirstSegmentHeaderBytes;
static_assert(kSegmentMessageBytes == 253 && kFirstSegmentMessageBytes == 251);

}  // namespace zemlo::wire
