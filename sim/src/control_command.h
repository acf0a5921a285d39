// The small command language that sets faults and triggers events, shared by the command-line
// options, the control FIFO and the in-process API. One command per line:
//
//   event CODE [after N]      handset event now, or after data packet N of the next download
//   nak-every N               NAK every Nth frame from the PC (0: off)
//   drop-ack N                no ACK for the Nth frame from the PC from now on (0: off)
//   bad-checksum N            a wrong checksum in the handset's own Nth frame from now (0: off)
//   delay MS                  wait MS milliseconds before every message the handset sends
//   silent COMMAND            no reply (and no action) for that remote command
//   answer COMMAND            undo silent
//   in-use NAME               the file NAME (e.g. abc.bmp) is in use
//   release NAME              undo in-use
//   format ok|refuse|block    how the format command ends
//   hangup-after N            close the line after data packet N of the next download (0: off)
//   noise on|off              random bytes between the handset's frames
//   start-packets N [at-list] N block-transfer start packets nobody asked for: now, or before
//                             the listing of every list command (0: off)
//   storage TOTAL FREE|off    the listing's storage description reports these 512-byte units
//   listing-name HEX|off      one more picture in the listing, named by these raw bytes
//   clear                     every fault off
//
// COMMAND is one of handshake, disconnect, list, announce, action, delete, rename, format, abort.
// Numbers are decimal or 0x-prefixed hexadecimal.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "download_service.h"

namespace handsim {

struct ControlCommand {
    enum class Kind {
        Event,
        NakEvery,
        DropAck,
        BadChecksum,
        Delay,
        Silent,
        Answer,
        InUse,
        Release,
        Format,
        HangUpAfter,
        Noise,
        StartPackets,
        Storage,
        ListingName,
        Clear
    };
    Kind kind = Kind::Clear;
    uint32_t number = 0;  // code, N, milliseconds
    uint16_t after = 0;   // event: data packet (0: now)
    bool on = false;      // noise; start-packets at-list; storage and listing-name set
    uint32_t second = 0;  // storage: free units
    std::string name;     // in-use, release
    CommandName command = CommandName::Unknown;
    FormatFault format = FormatFault::None;
};

// Parses one line; on failure, *error says why.
std::optional<ControlCommand> parse_control(std::string_view line, std::string *error);

// Parses a number as above, bounded by max.
std::optional<uint32_t> parse_number(std::string_view text, uint32_t max);

}  // namespace handsim
