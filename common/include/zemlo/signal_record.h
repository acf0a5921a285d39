// The in-memory form of one handset message, as the link library builds it for sending and as it
// hands received messages to the program: a 10-byte head (reserved, kind, length) and the message.
#pragma once

#include <cstddef>
#include <cstdint>

namespace zemlo {

// Kinds of record.
inline constexpr uint32_t kKindSignal = 0x53;      // 'S': the form of every request
inline constexpr uint32_t kKindLongHeader = 0x32;  // '2': received from the handset only
inline constexpr uint32_t kKindCommand = 0x43;     // 'C': raw command bytes

// Record head.
inline constexpr size_t kRecordReservedOffset = 0;  // uint32
inline constexpr size_t kRecordKindOffset = 4;      // uint32
inline constexpr size_t kRecordLengthOffset = 8;    // uint16, message bytes that follow
inline constexpr size_t kRecordHeadBytes = 10;      // the message starts here

// Signal form, offsets inside the message.
inline constexpr size_t kSigSenderOffset = 0;      // uint8
inline constexpr size_t kSigReceiverOffset = 1;    // uint8
inline constexpr size_t kSigBodyLengthOffset = 4;  // uint16
inline constexpr size_t kSigSignalIdOffset = 6;    // uint16
inline constexpr size_t kSigBodyOffset = 8;

// Long-header form, offsets inside the message.
inline constexpr size_t kLongSenderOffset = 0;       // uint8; 11 bytes after it are the handset's
inline constexpr size_t kLongBodyLengthOffset = 12;  // uint16
inline constexpr size_t kLongSignalIdOffset = 14;    // uint16
inline constexpr size_t kLongBodyOffset = 16;

// The record the library forwards to the program: the head and room for 16401 message bytes.
// A receiver copies this many bytes from the forwarded address.
inline constexpr size_t kForwardedRecordBytes = 16411;

}  // namespace zemlo
