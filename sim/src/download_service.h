// The handset's download service as a pure state machine: complete messages from the PC in, the
// messages the handset sends back out. It answers the remote commands, sends the listing as a
// block transfer paced by the PC's acknowledgements, receives downloads packet by packet, keeps,
// renames and deletes files in the store, and formats it. It reports nothing until the PC has
// sent its filter and the setup command, and then only the signals the filter selects.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "filter_matrix.h"
#include "media_store.h"
#include "segment_codec.h"
#include "zemlo/handset_records.h"

namespace handsim {

// Results the handset gives for failures the PC only needs to see as "not done".
inline constexpr uint16_t kResultUnknownCommand = 0x2000;
inline constexpr uint16_t kResultNoSuchFile = 0x2001;
inline constexpr uint16_t kResultNameTaken = 0x2005;
inline constexpr uint16_t kResultBadPath = 0x2006;
inline constexpr uint16_t kResultNoRoom = 0x2007;
inline constexpr uint16_t kResultNoDownload = 0x2008;
inline constexpr uint16_t kResultStoreError = 0x2009;

// Acknowledgement statuses for a packet the handset refuses (1 to 3 mean taken).
inline constexpr uint16_t kAckBadChecksum = 4;
inline constexpr uint16_t kAckBadSequence = 5;
inline constexpr uint16_t kAckBadTotal = 6;
inline constexpr uint16_t kAckNoRoom = 7;
inline constexpr uint16_t kAckUnexpected = 8;

// The commands by name, for the "no reply" fault.
enum class CommandName {
    Handshake,
    Disconnect,
    List,
    Announce,
    Action,
    Delete,
    Rename,
    Format,
    Abort,
    Unknown
};
std::optional<CommandName> command_from_name(std::string_view name);
std::string_view command_name(CommandName c);
// Which command a remote command record is, by its group and code.
CommandName classify_command(const zemlo::records::RemoteCommand &c);

enum class FormatFault { None, Refuse, Block };

struct Outgoing {
    uint16_t signal_id = 0;
    Bytes body;
};

struct ServiceOutput {
    std::vector<Outgoing> messages;
    bool hang_up = false;            // close the line after sending the messages
    bool restart = false;            // format done: go quiet, then come back without setup
    std::vector<std::string> notes;  // what happened, for the trace and the console
};

class DownloadService {
  public:
    explicit DownloadService(MediaStore &store) : store_(store) {}

    ServiceOutput on_message(const PcMessage &message);

    // A handset event (group 0x0200 to the PC) now. It also ends any transfer.
    ServiceOutput event(uint16_t code);
    // A handset event after the given data packet of the next download.
    void arm_event(uint16_t code, uint16_t after_packet);
    // Close the line after the given data packet of the next download (0: never).
    void arm_hang_up(uint16_t after_packet) { hang_up_after_ = after_packet; }

    // The handset came back from a format: the setup must be sent again.
    void restarted();

    void set_in_use(const std::string &name, bool in_use);
    void set_silent(CommandName command, bool silent);
    void set_format_fault(FormatFault fault) { format_fault_ = fault; }
    // Block-transfer start packets nobody asked for: n of them now, or before every listing.
    ServiceOutput unsolicited_starts(uint32_t n);
    void set_starts_before_listing(uint32_t n) { starts_before_listing_ = n; }
    // The listing reports this storage description instead of the store's (nullopt: the store's).
    void set_storage(std::optional<zemlo::records::StorageDescription> d) { storage_ = d; }
    // One more picture in the listing, named by raw bytes (empty: none).
    void set_listing_name(std::string raw) { listing_name_ = std::move(raw); }
    void clear_faults();

    bool reporting() const { return reporting_; }
    bool may_report(uint16_t signal_id) const;

  private:
    enum class Phase { Idle, Listing, Announced, Receiving, Complete };

    void on_remote_command(const Bytes &body, ServiceOutput &out);
    void on_packet(const Bytes &body, ServiceOutput &out);
    void on_ack(ServiceOutput &out);
    void reply(ServiceOutput &out, uint16_t status, uint16_t result);
    void emit(ServiceOutput &out, uint16_t signal_id, const uint8_t *body, size_t size);
    void emit_packet(ServiceOutput &out, const zemlo::records::DownloadPacket &p);
    void ack(ServiceOutput &out, uint16_t status);
    void drop_transfer();

    void command_list(ServiceOutput &out);
    void command_announce(const zemlo::records::RemoteCommand &c, ServiceOutput &out);
    void command_action(const zemlo::records::RemoteCommand &c, ServiceOutput &out);
    void command_delete(const zemlo::records::RemoteCommand &c, ServiceOutput &out);
    void command_rename(const zemlo::records::RemoteCommand &c, ServiceOutput &out);
    void command_format(ServiceOutput &out);
    void after_data_packet(uint16_t sequence, ServiceOutput &out);
    Bytes completed_file() const;

    MediaStore &store_;
    FilterMatrix matrix_;
    bool reporting_ = false;

    Phase phase_ = Phase::Idle;
    // Listing transfer.
    std::vector<zemlo::records::DownloadPacket> outgoing_;
    size_t next_outgoing_ = 0;
    // Download.
    HandsetPath target_;
    uint16_t blocks_ = 0;
    uint16_t received_ = 0;
    uint32_t total_ = 0;
    Bytes data_;
    zemlo::records::DownloadPacket last_packet_;

    // Faults and events on request.
    std::set<std::string> in_use_;
    std::set<CommandName> silent_;
    FormatFault format_fault_ = FormatFault::None;
    std::vector<std::pair<uint16_t, uint16_t>> armed_events_;  // code, after packet
    uint16_t hang_up_after_ = 0;
    uint32_t starts_before_listing_ = 0;
    std::optional<zemlo::records::StorageDescription> storage_;
    std::string listing_name_;
};

}  // namespace handsim
