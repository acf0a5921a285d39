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
//   at N FAULT [ARG]          one fault at the Nth frame of the exchange from now, whichever
//                             side sends it: drop, damage, twice, delay MS, nak, lose-ack,
//                             withhold, event CODE (just before that frame), hangup
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

// A fault placed at one frame of the exchange (see FaultPlan for what each does on either side).
enum class PointFault { Drop, Damage, Twice, Delay, Nak, LoseAck, Withhold, Event, HangUp };
std::optional<PointFault> point_fault_from_name(std::string_view name);
std::string_view point_fault_name(PointFault fault);

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
        At,
        Clear
    };
    Kind kind = Kind::Clear;
    uint32_t number = 0;  // code, N, milliseconds; at: the frame
    uint16_t after = 0;   // event: data packet (0: now)
    bool on = false;      // noise; start-packets at-list; storage and listing-name set
    uint32_t second = 0;  // storage: free units; at: the delay or the event code
    std::string name;     // in-use, release
    CommandName command = CommandName::Unknown;
    FormatFault format = FormatFault::None;
    PointFault point = PointFault::Drop;  // at
};

// Parses one line; on failure, *error says why.
std::optional<ControlCommand> parse_control(std::string_view line, std::string *error);

// Parses a number as above, bounded by max.
std::optional<uint32_t> parse_number(std::string_view text, uint32_t max);

}  // namespace handsim
