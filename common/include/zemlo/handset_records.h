// The handset download service's records, seen from both ends of the cable: the remote command and
// its reply, the download packet and its acknowledgement, the storage description, and the
// allocation rule for handset files. Pure, header-only encoders and decoders over byte buffers;
// the PC program and the handset emulator share them so that both read one layout.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "zemlo/byte_order.h"

namespace zemlo::records {

// --- Numbering of the download service -----------------------------------------------------------
// The PC looks these up by name in its tables; the handset knows them by number.
inline constexpr uint8_t kQndlwTaskId = 83;      // QNDLW_TASK_ID, the handset's download task
inline constexpr uint8_t kTaskFlId = 64;         // TASK_FL_ID, which may send download messages too
inline constexpr uint8_t kEmmiLowPriTaskId = 2;  // EMMI_LOW_PRI_TASK_ID, the PC's sender
inline constexpr uint8_t kEmmiHighPriTaskId = 3;  // EMMI_HIGH_PRI_TASK_ID, receiver of the filter
inline constexpr uint8_t kTimerTaskId = 0;        // TIMER_TASK_ID, sender of the filter
inline constexpr uint16_t kSigTinyFilterMatrix = 0x0110;  // SIG_TINY_FILTER_MATRIX
inline constexpr uint16_t kSigDownloadDataInd = 0x7901;   // SIG_DOWNLOAD_DATA_IND
inline constexpr uint16_t kSigDownloadAckRsp = 0x7902;    // SIG_DOWNLOAD_ACK_RSP
inline constexpr uint16_t kSigDlwRemoteCmdInd = 0x7905;   // SIG_DLW_REMOTE_CMD_IND
inline constexpr uint16_t kSigDlwRemoteCmdRsp = 0x7906;   // SIG_DLW_REMOTE_CMD_RSP

// The command-form record that switches the handset's reporting on after the filter.
inline constexpr std::array<uint8_t, 5> kSetupCommand = {0x02, 0x03, 0x00, 0x00, 0x00};

// --- Remote command ------------------------------------------------------------------------------
inline constexpr size_t kRemoteCommandBytes = 332;      // the record
inline constexpr size_t kRemoteCommandBodyBytes = 376;  // what travels: record + 44 zero bytes
inline constexpr size_t kCmdTaskOffset = 0;
inline constexpr size_t kCmdGroupOffset = 2;
inline constexpr size_t kCmdCodeOffset = 4;
inline constexpr size_t kCmdFirstPathOffset = 8;
inline constexpr size_t kCmdFirstPathBytes = 260;
inline constexpr size_t kCmdArgumentOffset = 8;  // shares its place with the first path
inline constexpr size_t kCmdActionOffset = 10;
inline constexpr size_t kCmdSecondPathOffset = 268;
inline constexpr size_t kCmdSecondPathBytes = 64;

// Groups.
inline constexpr uint16_t kGroupHandshake = 0x0100;
inline constexpr uint16_t kGroupDisconnect = 0x0200;  // PC to handset
inline constexpr uint16_t kGroupEvent = 0x0200;       // handset to PC
inline constexpr uint16_t kGroupFile = 0x0300;
inline constexpr uint16_t kGroupAbort = 0x0400;

// Codes.
inline constexpr uint16_t kHandshakeConnect = 0;
inline constexpr uint16_t kHandshakeFormat = 4;
inline constexpr uint16_t kCodeList = 0x0301;
inline constexpr uint16_t kCodeAnnounce = 0x0305;
inline constexpr uint16_t kCodeDelete = 0x030A;
inline constexpr uint16_t kCodeRename = 0x030B;
inline constexpr uint16_t kCodeFormat = 0x0314;
inline constexpr uint16_t kCodeAfterDownload = 0x03FF;

// Handset event codes (group 0x0200 from the handset); any other code means the user broke off.
inline constexpr uint16_t kEventIncomingCall = 1;
inline constexpr uint16_t kEventBatteryLow = 2;
inline constexpr uint16_t kEventTimeout = 3;

// After-download action: the argument names the file type, the action what to do with the file.
inline constexpr uint16_t kArgumentPicture = 2;
inline constexpr uint16_t kArgumentMelody = 1;
inline constexpr uint16_t kActionPreview = 17;
inline constexpr uint16_t kActionSave = 18;
inline constexpr uint16_t kActionDiscard = 19;

struct RemoteCommand {
    uint16_t group = 0;
    uint16_t code = 0;
    std::string first_path;   // file commands naming a file
    std::string second_path;  // rename only
    uint16_t argument = 0;    // list and after-download action (shares bytes with first_path)
    uint16_t action = 0;      // after-download action
};

// Copies text into a NUL-padded field, always leaving at least one NUL at its end.
inline void write_padded_text(uint8_t *field, size_t size, std::string_view text) {
    const size_t n = text.size() < size ? text.size() : size - 1;
    for (size_t i = 0; i < size; ++i) {
        field[i] = i < n ? static_cast<uint8_t>(text[i]) : 0;
    }
}

// Reads a NUL-padded field; a field with no NUL gives all its bytes.
inline std::string read_padded_text(const uint8_t *field, size_t size) {
    size_t n = 0;
    while (n < size && field[n] != 0) {
        ++n;
    }
    return std::string(reinterpret_cast<const char *>(field), n);
}

// The 376-byte body that carries a command. The argument and action are written only when there is
// no first path, since they share its bytes.
inline std::array<uint8_t, kRemoteCommandBodyBytes> encode_remote_command(const RemoteCommand &c) {
    std::array<uint8_t, kRemoteCommandBodyBytes> body{};
    body[kCmdTaskOffset] = kQndlwTaskId;
    write_le16(&body[kCmdGroupOffset], c.group);
    write_le16(&body[kCmdCodeOffset], c.code);
    if (!c.first_path.empty()) {
        write_padded_text(&body[kCmdFirstPathOffset], kCmdFirstPathBytes, c.first_path);
    } else {
        write_le16(&body[kCmdArgumentOffset], c.argument);
        write_le16(&body[kCmdActionOffset], c.action);
    }
    if (!c.second_path.empty()) {
        write_padded_text(&body[kCmdSecondPathOffset], kCmdSecondPathBytes, c.second_path);
    }
    return body;
}

// Reads a command from a body of at least 332 bytes. Both readings of the shared bytes are given:
// the path fields as text and the argument and action as numbers.
inline std::optional<RemoteCommand> decode_remote_command(const uint8_t *body, size_t size) {
    if (body == nullptr || size < kRemoteCommandBytes) {
        return std::nullopt;
    }
    RemoteCommand c;
    c.group = read_le16(&body[kCmdGroupOffset]);
    c.code = read_le16(&body[kCmdCodeOffset]);
    c.argument = read_le16(&body[kCmdArgumentOffset]);
    c.action = read_le16(&body[kCmdActionOffset]);
    c.first_path = read_padded_text(&body[kCmdFirstPathOffset], kCmdFirstPathBytes);
    c.second_path = read_padded_text(&body[kCmdSecondPathOffset], kCmdSecondPathBytes);
    return c;
}

// --- Remote reply --------------------------------------------------------------------------------
inline constexpr size_t kRemoteReplyBytes = 12;
inline constexpr size_t kReplyStatusOffset = 4;
inline constexpr size_t kReplyResultOffset = 8;

inline constexpr uint16_t kStatusAccepted = 3;           // handshake and disconnect
inline constexpr uint16_t kResultDownloadAccepted = 2;   // announce
inline constexpr uint16_t kResultDone = 3;               // delete, rename
inline constexpr uint16_t kResultInUse = 0x200C;         // the file is in use
inline constexpr uint16_t kResultFormatFailed = 0x2002;  // format refused
inline constexpr uint16_t kResultListPreset = 0xFFFF;    // what the PC presets for the list reply

struct RemoteReply {
    uint16_t status = 0;
    uint16_t result = 0;
};

inline std::array<uint8_t, kRemoteReplyBytes> encode_remote_reply(const RemoteReply &r) {
    std::array<uint8_t, kRemoteReplyBytes> body{};
    write_le16(&body[kReplyStatusOffset], r.status);
    write_le16(&body[kReplyResultOffset], r.result);
    return body;
}

inline std::optional<RemoteReply> decode_remote_reply(const uint8_t *body, size_t size) {
    if (body == nullptr || size < kRemoteReplyBytes) {
        return std::nullopt;
    }
    return RemoteReply{read_le16(&body[kReplyStatusOffset]), read_le16(&body[kReplyResultOffset])};
}

// --- Download packet -----------------------------------------------------------------------------
inline constexpr size_t kPacketBytes = 520;
inline constexpr size_t kPacketDataBytes = 512;
inline constexpr size_t kPacketKindOffset = 0;
inline constexpr size_t kPacketChecksumOffset = 2;
inline constexpr size_t kPacketSequenceOffset = 4;
inline constexpr size_t kPacketLengthOffset = 6;
inline constexpr size_t kPacketDataOffset = 8;

inline constexpr uint8_t kPacketKindPc = 2;           // packets the PC sends
inline constexpr uint8_t kPacketKindHandset = 1;      // packets the handset sends (not examined)
inline constexpr uint8_t kStartMarker = 0x00;         // data[0] of a start packet
inline constexpr uint8_t kEndMarker = 0xFF;           // data[0] of an end packet
inline constexpr uint16_t kFramingChecksum = 0x1213;  // checksum field of start and end packets
inline constexpr uint8_t kStartFormatByte = 0x10;     // data[3] of the PC's start packet
inline constexpr uint8_t kSinglePart = 0xFF;          // data[4] of the PC's start packet
inline constexpr size_t kMelodyPrefixBytes = 6;       // kept out of a melody's data packets
inline constexpr size_t kStartMelodyByteOffset = 5;   // data[5]: the prefix's last byte

struct DownloadPacket {
    uint8_t kind = kPacketKindPc;
    uint16_t checksum = 0;
    uint16_t sequence = 0;
    uint16_t length = 0;
    std::array<uint8_t, kPacketDataBytes> data{};

    bool is_start() const { return sequence == 0 && data[0] == kStartMarker; }
    bool is_end() const { return sequence == 0 && data[0] == kEndMarker; }
};

inline std::array<uint8_t, kPacketBytes> encode_packet(const DownloadPacket &p) {
    std::array<uint8_t, kPacketBytes> body{};
    body[kPacketKindOffset] = p.kind;
    write_le16(&body[kPacketChecksumOffset], p.checksum);
    write_le16(&body[kPacketSequenceOffset], p.sequence);
    write_le16(&body[kPacketLengthOffset], p.length);
    for (size_t i = 0; i < kPacketDataBytes; ++i) {
        body[kPacketDataOffset + i] = p.data[i];
    }
    return body;
}

inline std::optional<DownloadPacket> decode_packet(const uint8_t *body, size_t size) {
    if (body == nullptr || size < kPacketBytes) {
        return std::nullopt;
    }
    DownloadPacket p;
    p.kind = body[kPacketKindOffset];
    p.checksum = read_le16(&body[kPacketChecksumOffset]);
    p.sequence = read_le16(&body[kPacketSequenceOffset]);
    p.length = read_le16(&body[kPacketLengthOffset]);
    for (size_t i = 0; i < kPacketDataBytes; ++i) {
        p.data[i] = body[kPacketDataOffset + i];
    }
    return p;
}

// The checksum of a data packet: the wrapping 16-bit sum of its bytes.
inline uint16_t packet_checksum(const uint8_t *bytes, size_t count) {
    uint16_t sum = 0;
    for (size_t i = 0; i < count; ++i) {
        sum = static_cast<uint16_t>(sum + bytes[i]);
    }
    return sum;
}

// Blocks of a file sent in one part: (length mod 65536) div 512, plus one for a partial block.
inline uint16_t block_count(size_t length) {
    const size_t in_part = length % 65536;
    return static_cast<uint16_t>(in_part / kPacketDataBytes + (in_part % kPacketDataBytes ? 1 : 0));
}

// The PC's start packet of a download: remaining blocks big-endian in data[1..2].
inline DownloadPacket make_pc_start_packet(uint16_t blocks, uint8_t melody_prefix_last = 0) {
    DownloadPacket p;
    p.checksum = kFramingChecksum;
    p.length = kPacketDataBytes;
    p.data[0] = kStartMarker;
    write_be16(&p.data[1], blocks);
    p.data[3] = kStartFormatByte;
    p.data[4] = kSinglePart;
    p.data[kStartMelodyByteOffset] = melody_prefix_last;
    return p;
}

inline uint16_t pc_start_blocks(const DownloadPacket &p) {
    return read_be16(&p.data[1]);
}

// The handset's start packet of a block transfer: the block count big-endian in data[2..3].
inline DownloadPacket make_handset_start_packet(uint16_t blocks) {
    DownloadPacket p;
    p.kind = kPacketKindHandset;
    p.checksum = kFramingChecksum;
    p.length = kPacketDataBytes;
    p.data[0] = kStartMarker;
    write_be16(&p.data[2], blocks);
    return p;
}

inline uint16_t handset_start_blocks(const DownloadPacket &p) {
    return read_be16(&p.data[2]);
}

// A data packet numbered from 1, with up to 512 bytes; more are cut off.
inline DownloadPacket make_data_packet(uint16_t sequence, const uint8_t *bytes, size_t count,
                                       uint8_t kind = kPacketKindPc) {
    DownloadPacket p;
    p.kind = kind;
    if (count > kPacketDataBytes) {
        count = kPacketDataBytes;
    }
    for (size_t i = 0; i < count; ++i) {
        p.data[i] = bytes[i];
    }
    p.sequence = sequence;
    p.length = static_cast<uint16_t>(count);
    p.checksum = packet_checksum(bytes, count);
    return p;
}

// The end packet: the 32-bit sum of every data packet's checksum, big-endian in data[1..4].
inline DownloadPacket make_end_packet(uint32_t checksum_total, uint8_t kind = kPacketKindPc) {
    DownloadPacket p;
    p.kind = kind;
    p.checksum = kFramingChecksum;
    p.length = kPacketDataBytes;
    p.data[0] = kEndMarker;
    write_be32(&p.data[1], checksum_total);
    return p;
}

inline uint32_t end_packet_total(const DownloadPacket &p) {
    return read_be32(&p.data[1]);
}

// --- Download acknowledgement --------------------------------------------------------------------
inline constexpr size_t kAckBytes = 8;
inline constexpr size_t kAckStatusOffset = 2;
inline constexpr uint8_t kAckKind = 2;
inline constexpr uint8_t kAckFlag = 1;  // byte 4
inline constexpr uint16_t kAckStatusOk = 1;
// A PC packet counts as delivered when the handset's status is one of these.
inline constexpr uint16_t kAckStatusOkLow = 1;
inline constexpr uint16_t kAckStatusOkHigh = 3;

inline std::array<uint8_t, kAckBytes> encode_ack(uint16_t status = kAckStatusOk) {
    std::array<uint8_t, kAckBytes> body{};
    body[0] = kAckKind;
    write_le16(&body[kAckStatusOffset], status);
    body[4] = kAckFlag;
    return body;
}

inline std::optional<uint16_t> decode_ack_status(const uint8_t *body, size_t size) {
    if (body == nullptr || size < kAckStatusOffset + 2) {
        return std::nullopt;
    }
    return read_le16(&body[kAckStatusOffset]);
}

inline bool ack_status_ok(uint16_t status) {
    return status >= kAckStatusOkLow && status <= kAckStatusOkHigh;
}

// --- Storage description and space
// -----------------------------------------------------------------
inline constexpr size_t kStorageBlockBytes = 512;  // the first block of a listing transfer
inline constexpr size_t kStorageMantissaOffset = 2;
inline constexpr size_t kStorageExponentOffset = 3;
inline constexpr size_t kStorageTotalOffset = 4;  // uint32 big-endian
inline constexpr size_t kStorageFreeOffset = 8;   // uint32 big-endian
inline constexpr unsigned kUnitShiftBase = 8;
inline constexpr uint64_t kReservedBytes = 0x16800;     // 92160, never shown as free
inline constexpr uint64_t kMaxCapacityBytes = 0x80000;  // a larger description is rejected
inline constexpr size_t kListingOffset = kStorageBlockBytes;

struct StorageDescription {
    uint8_t unit_mantissa = 0;
    uint8_t unit_exponent = 0;
    uint32_t total_units = 0;
    uint32_t free_units = 0;
};

// Unit size in bytes: the mantissa shifted left by exponent + 8, kept to 16 bits.
inline uint32_t unit_size(const StorageDescription &d) {
    const unsigned shift = d.unit_exponent + kUnitShiftBase;
    if (shift >= 16) {
        return 0;
    }
    return static_cast<uint16_t>(static_cast<uint32_t>(d.unit_mantissa) << shift);
}

inline void encode_storage_description(const StorageDescription &d, uint8_t *block) {
    for (size_t i = 0; i < kStorageBlockBytes; ++i) {
        block[i] = 0;
    }
    block[kStorageMantissaOffset] = d.unit_mantissa;
    block[kStorageExponentOffset] = d.unit_exponent;
    write_be32(&block[kStorageTotalOffset], d.total_units);
    write_be32(&block[kStorageFreeOffset], d.free_units);
}

inline std::optional<StorageDescription> decode_storage_description(const uint8_t *block,
                                                                    size_t size) {
    if (block == nullptr || size < kStorageFreeOffset + 4) {
        return std::nullopt;
    }
    return StorageDescription{block[kStorageMantissaOffset], block[kStorageExponentOffset],
                              read_be32(&block[kStorageTotalOffset]),
                              read_be32(&block[kStorageFreeOffset])};
}

// Space a handset file of n bytes occupies: (n div 512 + 1) x 512, so exactly 512 counts 1024.
inline constexpr uint64_t allocation_size(uint64_t n) {
    return (n / kPacketDataBytes + 1) * kPacketDataBytes;
}

// --- Folders, names and limits -------------------------------------------------------------------
inline constexpr char kPathSeparator = '\\';
inline constexpr std::string_view kPictureFolder = "a:\\pcdlw\\pic";
inline constexpr std::string_view kMelodyFolder = "a:\\pcdlw\\melody";
inline constexpr std::string_view kPictureExtension = ".bmp";
inline constexpr std::string_view kMelodyExtension = ".mid";
inline constexpr size_t kMaxPictures = 10;
inline constexpr size_t kMaxMelodies = 20;
inline constexpr size_t kMaxMelodyBytes = 51200;
inline constexpr size_t kMaxDownloadNameChars = 8;

// A file's path on the handset: its folder, a backslash, its name.
inline std::string handset_path(std::string_view folder, std::string_view name) {
    std::string path(folder);
    path += kPathSeparator;
    path += name;
    return path;
}

}  // namespace zemlo::records
