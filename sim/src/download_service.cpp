#include "download_service.h"

#include <algorithm>
#include <array>
#include <utility>

#include "listing_builder.h"
#include "media_render.h"

namespace handsim {

namespace rec = zemlo::records;

namespace {
constexpr std::array<std::pair<CommandName, std::string_view>, 9> kCommandNames = {{
    {CommandName::Handshake, "handshake"},
    {CommandName::Disconnect, "disconnect"},
    {CommandName::List, "list"},
    {CommandName::Announce, "announce"},
    {CommandName::Action, "action"},
    {CommandName::Delete, "delete"},
    {CommandName::Rename, "rename"},
    {CommandName::Format, "format"},
    {CommandName::Abort, "abort"},
}};

// One part of a download is less than 64 KiB.
constexpr uint16_t kMaxDownloadBlocks = 128;

uint16_t store_result(MediaStore::Status s) {
    switch (s) {
        case MediaStore::Status::Ok:
            return rec::kResultDone;
        case MediaStore::Status::NoSuchFile:
            return kResultNoSuchFile;
        case MediaStore::Status::NameTaken:
            return kResultNameTaken;
        case MediaStore::Status::BadName:
            return kResultBadPath;
        case MediaStore::Status::NoRoom:
        case MediaStore::Status::TooManyFiles:
            return kResultNoRoom;
        case MediaStore::Status::IoError:
            break;
    }
    return kResultStoreError;
}
}  // namespace

std::optional<CommandName> command_from_name(std::string_view name) {
    for (const auto &[c, n] : kCommandNames) {
        if (n == name) {
            return c;
        }
    }
    return std::nullopt;
}

std::string_view command_name(CommandName c) {
    for (const auto &[k, n] : kCommandNames) {
        if (k == c) {
            return n;
        }
    }
    return "unknown";
}

CommandName classify_command(const rec::RemoteCommand &c) {
    switch (c.group) {
        case rec::kGroupHandshake:
            return CommandName::Handshake;
        case rec::kGroupDisconnect:
            return CommandName::Disconnect;
        case rec::kGroupAbort:
            return CommandName::Abort;
        case rec::kGroupFile:
            switch (c.code) {
                case rec::kCodeList:
                    return CommandName::List;
                case rec::kCodeAnnounce:
                    return CommandName::Announce;
                case rec::kCodeAfterDownload:
                    return CommandName::Action;
                case rec::kCodeDelete:
                    return CommandName::Delete;
                case rec::kCodeRename:
                    return CommandName::Rename;
                case rec::kCodeFormat:
                    return CommandName::Format;
                default:
                    return CommandName::Unknown;
            }
        default:
            return CommandName::Unknown;
    }
}

bool DownloadService::may_report(uint16_t signal_id) const {
    return reporting_ && matrix_.selects(signal_id);
}

void DownloadService::emit(ServiceOutput &out, uint16_t signal_id, const uint8_t *body,
                           size_t size) {
    if (may_report(signal_id)) {
        out.messages.push_back({signal_id, Bytes(body, body + size)});
    }
}

void DownloadService::reply(ServiceOutput &out, uint16_t status, uint16_t result) {
    const auto body = rec::encode_remote_reply({status, result});
    emit(out, rec::kSigDlwRemoteCmdRsp, body.data(), body.size());
}

void DownloadService::emit_packet(ServiceOutput &out, const rec::DownloadPacket &p) {
    const auto body = rec::encode_packet(p);
    emit(out, rec::kSigDownloadDataInd, body.data(), body.size());
}

void DownloadService::ack(ServiceOutput &out, uint16_t status) {
    const auto body = rec::encode_ack(status);
    emit(out, rec::kSigDownloadAckRsp, body.data(), body.size());
}

void DownloadService::drop_transfer() {
    phase_ = Phase::Idle;
    outgoing_.clear();
    next_outgoing_ = 0;
    data_.clear();
    blocks_ = 0;
    received_ = 0;
    total_ = 0;
}

void DownloadService::restarted() {
    drop_transfer();
    reporting_ = false;
    matrix_ = FilterMatrix();
}

void DownloadService::set_in_use(const std::string &name, bool in_use) {
    if (in_use) {
        in_use_.insert(name);
    } else {
        in_use_.erase(name);
    }
}

void DownloadService::set_silent(CommandName command, bool silent) {
    if (silent) {
        silent_.insert(command);
    } else {
        silent_.erase(command);
    }
}

void DownloadService::clear_faults() {
    in_use_.clear();
    silent_.clear();
    format_fault_ = FormatFault::None;
    armed_events_.clear();
    hang_up_after_ = 0;
    starts_before_listing_ = 0;
    storage_.reset();
    listing_name_.clear();
}

ServiceOutput DownloadService::unsolicited_starts(uint32_t n) {
    ServiceOutput out;
    // Announces a two-block transfer that never follows; the transfer under way is untouched.
    const auto start = rec::make_handset_start_packet(2);
    for (uint32_t i = 0; i < n; ++i) {
        emit_packet(out, start);
    }
    out.notes.push_back(std::to_string(n) + " unsolicited start packets");
    return out;
}

void DownloadService::arm_event(uint16_t code, uint16_t after_packet) {
    armed_events_.emplace_back(code, after_packet);
}

ServiceOutput DownloadService::event(uint16_t code) {
    ServiceOutput out;
    drop_transfer();
    rec::RemoteCommand c;
    c.group = rec::kGroupEvent;
    c.code = code;
    const auto body = rec::encode_remote_command(c);
    // The event carries the 332-byte record, as the PC reads it.
    emit(out, rec::kSigDlwRemoteCmdInd, body.data(), rec::kRemoteCommandBytes);
    out.notes.push_back("event " + std::to_string(code) +
                        (may_report(rec::kSigDlwRemoteCmdInd) ? "" : " (not reported)"));
    return out;
}

ServiceOutput DownloadService::on_message(const PcMessage &message) {
    ServiceOutput out;
    if (message.form == PcMessage::Form::Command) {
        if (message.bytes.size() == rec::kSetupCommand.size() &&
            std::equal(message.bytes.begin(), message.bytes.end(), rec::kSetupCommand.begin())) {
            reporting_ = true;
            out.notes.push_back(matrix_.empty() ? "setup without a filter: nothing is reported"
                                                : "setup: reporting on");
        } else {
            out.notes.push_back("unknown command record ignored");
        }
        return out;
    }
    const auto signal = parse_signal_message(message.bytes);
    if (!signal) {
        out.notes.push_back("malformed signal record ignored");
        return out;
    }
    switch (signal->signal_id) {
        case rec::kSigTinyFilterMatrix:
            matrix_ = FilterMatrix(signal->body.data(), signal->body.size());
            out.notes.push_back("filter of " + std::to_string(signal->body.size()) + " bytes");
            break;
        case rec::kSigDlwRemoteCmdInd:
            on_remote_command(signal->body, out);
            break;
        case rec::kSigDownloadDataInd:
            on_packet(signal->body, out);
            break;
        case rec::kSigDownloadAckRsp:
            on_ack(out);
            break;
        default:
            out.notes.push_back("signal " + std::to_string(signal->signal_id) + " ignored");
            break;
    }
    return out;
}

void DownloadService::on_remote_command(const Bytes &body, ServiceOutput &out) {
    const auto c = rec::decode_remote_command(body.data(), body.size());
    if (!c) {
        out.notes.push_back("short remote command ignored");
        return;
    }
    const CommandName name = classify_command(*c);
    out.notes.push_back("command " + std::string(command_name(name)));
    if (silent_.count(name) != 0) {
        out.notes.push_back("no reply on request");
        return;
    }
    // Every command but the after-download action ends a transfer under way: the PC has moved on.
    if (name != CommandName::Action) {
        drop_transfer();
    }
    switch (name) {
        case CommandName::Handshake:
        case CommandName::Disconnect:
            reply(out, rec::kStatusAccepted, 0);
            break;
        case CommandName::Abort:
            break;
        case CommandName::List:
            command_list(out);
            break;
        case CommandName::Announce:
            command_announce(*c, out);
            break;
        case CommandName::Action:
            command_action(*c, out);
            break;
        case CommandName::Delete:
            command_delete(*c, out);
            break;
        case CommandName::Rename:
            command_rename(*c, out);
            break;
        case CommandName::Format:
            command_format(out);
            break;
        case CommandName::Unknown:
            reply(out, 0, kResultUnknownCommand);
            break;
    }
}

void DownloadService::command_list(ServiceOutput &out) {
    reply(out, rec::kStatusAccepted, rec::kResultDone);
    if (!may_report(rec::kSigDownloadDataInd)) {
        return;
    }
    if (starts_before_listing_ != 0) {
        auto flood = unsolicited_starts(starts_before_listing_);
        out.messages.insert(out.messages.end(), flood.messages.begin(), flood.messages.end());
        out.notes.insert(out.notes.end(), flood.notes.begin(), flood.notes.end());
    }
    auto pictures = store_.list(Folder::Picture);
    if (!listing_name_.empty()) {
        pictures.push_back({listing_name_, 1000});
    }
    outgoing_ = block_transfer(storage_.value_or(store_.description()),
                               listing_text(pictures, store_.list(Folder::Melody)));
    phase_ = Phase::Listing;
    next_outgoing_ = 1;
    emit_packet(out, outgoing_.front());
}

void DownloadService::on_ack(ServiceOutput &out) {
    if (phase_ != Phase::Listing || next_outgoing_ >= outgoing_.size()) {
        out.notes.push_back("acknowledgement outside a transfer ignored");
        return;
    }
    emit_packet(out, outgoing_[next_outgoing_++]);
    // The end packet is not acknowledged.
    if (next_outgoing_ == outgoing_.size()) {
        out.notes.push_back("listing sent");
        drop_transfer();
    }
}

void DownloadService::command_announce(const rec::RemoteCommand &c, ServiceOutput &out) {
    const auto path = parse_handset_path(c.first_path);
    if (!path) {
        reply(out, 0, kResultBadPath);
        return;
    }
    if (in_use_.count(path->name) != 0) {
        reply(out, 0, rec::kResultInUse);
        return;
    }
    const bool replaces = store_.size_of(path->folder, path->name).has_value();
    if (!replaces && store_.list(path->folder).size() >= folder_limit(path->folder)) {
        reply(out, 0, kResultNoRoom);
        return;
    }
    target_ = *path;
    phase_ = Phase::Announced;
    reply(out, 0, rec::kResultDownloadAccepted);
}

void DownloadService::on_packet(const Bytes &body, ServiceOutput &out) {
    const auto p = rec::decode_packet(body.data(), body.size());
    if (!p) {
        ack(out, kAckUnexpected);
        return;
    }
    if (p->is_start()) {
        if (phase_ != Phase::Announced && phase_ != Phase::Receiving) {
            ack(out, kAckUnexpected);
            return;
        }
        const uint16_t blocks = rec::pc_start_blocks(*p);
        if (p->checksum != rec::kFramingChecksum) {
            ack(out, kAckBadChecksum);
            return;
        }
        if (blocks > kMaxDownloadBlocks) {
            ack(out, kAckNoRoom);
            return;
        }
        // The smallest file of that many blocks must fit; the exact size is checked on keeping.
        const uint64_t smallest =
            blocks == 0 ? 0 : static_cast<uint64_t>(blocks - 1) * rec::kPacketDataBytes + 1;
        if (!store_.has_room(target_.folder, target_.name, smallest)) {
            ack(out, kAckNoRoom);
            return;
        }
        phase_ = Phase::Receiving;
        blocks_ = blocks;
        received_ = 0;
        total_ = 0;
        data_.clear();
        if (target_.folder == Folder::Melody) {
            data_.reserve(static_cast<size_t>(blocks) * rec::kPacketDataBytes);
        }
        ack(out, rec::kAckStatusOk);
        return;
    }
    if (p->is_end()) {
        if (phase_ == Phase::Complete && p->data == last_packet_.data) {
            ack(out, rec::kAckStatusOk);  // a repeat after a lost acknowledgement
            return;
        }
        if (phase_ != Phase::Receiving) {
            ack(out, kAckUnexpected);
        } else if (received_ != blocks_) {
            ack(out, kAckBadSequence);
        } else if (rec::end_packet_total(*p) != total_ || p->checksum != rec::kFramingChecksum) {
            ack(out, kAckBadTotal);
        } else {
            phase_ = Phase::Complete;
            last_packet_ = *p;
            out.notes.push_back("received " + std::to_string(data_.size()) + " bytes for " +
                                target_.name);
            ack(out, rec::kAckStatusOk);
        }
        return;
    }
    if (phase_ != Phase::Receiving) {
        ack(out, kAckUnexpected);
        return;
    }
    if (received_ > 0 && p->sequence == received_ && p->length == last_packet_.length &&
        p->data == last_packet_.data) {
        ack(out, rec::kAckStatusOk);  // a repeat after a lost acknowledgement
        return;
    }
    if (p->sequence != received_ + 1 || p->sequence > blocks_ ||
        p->length > rec::kPacketDataBytes) {
        ack(out, kAckBadSequence);
        return;
    }
    if (p->checksum != rec::packet_checksum(p->data.data(), p->length)) {
        out.notes.push_back("packet " + std::to_string(p->sequence) + ": bad checksum");
        ack(out, kAckBadChecksum);
        return;
    }
    data_.insert(data_.end(), p->data.begin(), p->data.begin() + p->length);
    total_ += p->checksum;
    received_ = p->sequence;
    last_packet_ = *p;
    ack(out, rec::kAckStatusOk);
    after_data_packet(p->sequence, out);
}

void DownloadService::after_data_packet(uint16_t sequence, ServiceOutput &out) {
    for (auto it = armed_events_.begin(); it != armed_events_.end();) {
        if (it->second == sequence) {
            const uint16_t code = it->first;
            it = armed_events_.erase(it);
            ServiceOutput ev = event(code);
            out.messages.insert(out.messages.end(), ev.messages.begin(), ev.messages.end());
            out.notes.insert(out.notes.end(), ev.notes.begin(), ev.notes.end());
            break;  // the event ended the transfer
        } else {
            ++it;
        }
    }
    if (hang_up_after_ != 0 && hang_up_after_ == sequence) {
        hang_up_after_ = 0;
        drop_transfer();
        out.hang_up = true;
        out.notes.push_back("hang-up after packet " + std::to_string(sequence));
    }
}

Bytes DownloadService::completed_file() const {
    if (target_.folder == Folder::Picture) {
        return data_;
    }
    // A melody's 6-byte prefix stays on the PC; the handset rebuilds it from the length.
    Bytes file = melody_prefix(data_.size() + rec::kMelodyPrefixBytes);
    file.insert(file.end(), data_.begin(), data_.end());
    return file;
}

void DownloadService::command_action(const rec::RemoteCommand &c, ServiceOutput &out) {
    if (phase_ != Phase::Complete) {
        reply(out, 0, kResultNoDownload);
        return;
    }
    switch (c.action) {
        case rec::kActionPreview: {
            const bool shown = store_.write_preview(target_.folder, completed_file());
            out.notes.push_back((target_.folder == Folder::Picture ? "showing " : "playing ") +
                                target_.name +
                                (shown ? " (" + store_.preview_path(target_.folder).string() + ")"
                                       : " (cannot be rendered)"));
            reply(out, 0, rec::kResultDone);
            break;
        }
        case rec::kActionSave: {
            const MediaStore::Status s =
                store_.keep(target_.folder, target_.name, completed_file());
            out.notes.push_back((s == MediaStore::Status::Ok ? "kept " : "could not keep ") +
                                target_.name);
            drop_transfer();
            reply(out, 0, store_result(s));
            break;
        }
        case rec::kActionDiscard:
            out.notes.push_back("discarded " + target_.name);
            drop_transfer();
            reply(out, 0, rec::kResultDone);
            break;
        default:
            reply(out, 0, kResultUnknownCommand);
            break;
    }
}

void DownloadService::command_delete(const rec::RemoteCommand &c, ServiceOutput &out) {
    const auto path = parse_handset_path(c.first_path);
    if (!path) {
        reply(out, 0, kResultBadPath);
    } else if (in_use_.count(path->name) != 0) {
        reply(out, 0, rec::kResultInUse);
    } else {
        reply(out, 0, store_result(store_.remove(path->folder, path->name)));
    }
}

void DownloadService::command_rename(const rec::RemoteCommand &c, ServiceOutput &out) {
    const auto from = parse_handset_path(c.first_path);
    const auto to = parse_handset_path(c.second_path);
    if (!from || !to || from->folder != to->folder) {
        reply(out, 0, kResultBadPath);
    } else if (in_use_.count(from->name) != 0) {
        reply(out, 0, rec::kResultInUse);
    } else {
        reply(out, 0, store_result(store_.rename(from->folder, from->name, to->name)));
    }
}

void DownloadService::command_format(ServiceOutput &out) {
    if (format_fault_ == FormatFault::Refuse) {
        reply(out, 0, rec::kResultFormatFailed);
    } else if (format_fault_ == FormatFault::Block || !in_use_.empty()) {
        reply(out, 0, rec::kResultInUse);
    } else {
        const bool ok = store_.format() == MediaStore::Status::Ok;
        out.notes.push_back(ok ? "formatted; restarting" : "format incomplete; restarting");
        out.restart = true;
    }
}

}  // namespace handsim
