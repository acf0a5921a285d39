// Connect, disconnect, the abort notice, handset events and the listing that completes a connect.
#include <algorithm>

#include "main_core.h"
#include "remote_command_body.h"
#include "zemlo/signal_record.h"

namespace zemlo::app {

namespace {

constexpr uint8_t kModeListing = 1;
constexpr uint8_t kModeIdle = 0;
constexpr uint16_t kConnectRange = 2;
constexpr uint16_t kDisconnectRange = 1;
// A group and a code follow the 16-byte long header.
constexpr size_t kEventBodyNeeded = records::kCmdCodeOffset + 2;

MessageId event_message(uint16_t code) {
    switch (code) {
        case records::kEventIncomingCall:
            return MessageId::EventIncomingCall;
        case records::kEventBatteryLow:
            return MessageId::EventBatteryLow;
        case records::kEventTimeout:
            return MessageId::EventTimeout;
        default:
            return MessageId::EventUserBreak;
    }
}

}  // namespace

bool MainCore::send_command(const std::vector<uint8_t> &body, std::vector<uint8_t> &reply,
                            int32_t *status) {
    std::vector<uint8_t> copy = body;  // the library may write into the body it is given
    int32_t result = 0;
    const bool sent = binding_.remote_command(copy.data(), reply.data(), &result);
    if (status != nullptr) {
        *status = result;
    }
    if (!dispatcher_.on_window_thread()) {
        outcome_.status = result;
    }
    return sent;
}

// Sends the handshake up to three times; only the last failed open shows its error.
bool MainCore::handshake_with_attempts(uint16_t purpose, std::vector<uint8_t> &reply) {
    const auto body = command_body({records::kGroupHandshake, purpose});
    values_.connect_attempts_left.store(kConnectAttempts);
    while (values_.connect_attempts_left.load() != 0) {
        if (values_.cancel.load()) {
            return false;
        }
        values_.connect_attempts_left.fetch_sub(1);
        reply = preset_reply();
        if (send_command(body, reply)) {
            return true;
        }
        if (values_.connect_attempts_left.load() == 0) {
            hide_wait_window();
            return false;
        }
    }
    return false;
}

void MainCore::run_connect() {
    report({MessageId::Connecting}, ReportLevel::Progress, kConnectRange);
    binding_.close_link();
    std::vector<uint8_t> reply;
    if (!handshake_with_attempts(records::kHandshakeConnect, reply)) {
        return;
    }
    if (reply_status(reply) != records::kStatusAccepted) {
        report({MessageId::PhoneCommError}, ReportLevel::Failed);
        return;
    }
    on_window([this] { relisting_ = false; });
    binding_.set_mode(kModeListing);
    report({MessageId::ReadingData}, ReportLevel::Progress);
    if (values_.cancel.load()) {
        return;
    }
    if (!request_listing()) {
        hide_wait_window();
        return;
    }
    listing_follows_ = true;
    // The handset now answers with the listing, handled on the window thread.
}

bool MainCore::request_listing() {
    records::RemoteCommand list{records::kGroupFile, records::kCodeList};
    list.argument = 0;
    std::vector<uint8_t> reply = preset_reply(records::kResultListPreset);
    // Armed before the command goes out, so that the handset's answer finds it armed.
    on_window([this] { receiver_.expect(); });
    if (!send_command(command_body(list), reply)) {
        on_window([this] { receiver_.stop(); });
        return false;
    }
    return true;
}

void MainCore::reread_listing() {
    // The listing replaces the table when it arrives; it completes no connect.
    on_window([this] { relisting_ = true; });
    binding_.set_mode(kModeListing);
    request_listing();
}

void MainCore::run_disconnect(bool notify) {
    on_window([this] {
        receiver_.stop();
        clear_handset_files();
    });
    // A cancelled connect is ended with a disconnect only when the link came up: otherwise the
    // disconnect would first have to open the link to a handset that never answered, and the
    // user who pressed Ctrl-C would wait for another full connect attempt.
    if (values_.connected.load() || (values_.cancel.load() && binding_.port_open())) {
        on_window([this] { connection_state_update(false, false); });
        if (notify) {
            report({MessageId::Disconnecting}, ReportLevel::Progress, kDisconnectRange);
        }
        std::vector<uint8_t> reply = preset_reply();
        const bool sent = send_command(command_body({records::kGroupDisconnect, 0}), reply);
        // A handset that does not confirm is as good as gone: say so, whatever the send did.
        if (!sent || reply_status(reply) != records::kStatusAccepted) {
            report({MessageId::NoAnswer}, ReportLevel::Finished);
        } else if (notify) {
            end_with({MessageId::Disconnected}, ReportLevel::Finished, true);
        }
    }
    binding_.close_link();
    if (notify) {
        on_window([this] { connection_state_update(false, true); });
    }
}

void MainCore::run_abort_notice() {
    const auto body = command_body({records::kGroupAbort, 0});
    binding_.set_mode(kModeIdle);
    std::vector<uint8_t> reply = preset_reply();
    values_.open_error_reporting.store(false);
    struct Restore {
        ProgramValues &values;
        ~Restore() { values.open_error_reporting.store(true); }
    } restore{values_};
    send_command(body, reply);
}

void MainCore::handset_message(const std::vector<uint8_t> &record) {
    // Records still queued when the library was unloaded: answering one would try to reopen the
    // port through a library that is gone.
    if (!binding_.loaded()) {
        return;
    }
    if (record.size() < kRecordHeadBytes + kLongBodyOffset) {
        return;
    }
    const uint8_t *message = record.data() + kRecordHeadBytes;
    const size_t message_bytes =
        std::min<size_t>(read_le16(&record[kRecordLengthOffset]), record.size() - kRecordHeadBytes);
    if (message_bytes < kLongBodyOffset) {
        return;
    }
    const uint16_t signal = read_le16(message + kLongSignalIdOffset);
    const uint8_t *body = message + kLongBodyOffset;
    const size_t body_bytes = message_bytes - kLongBodyOffset;
    if (signal == records::kSigDlwRemoteCmdInd) {
        if (body_bytes >= kEventBodyNeeded &&
            read_le16(body + records::kCmdGroupOffset) == records::kGroupEvent &&
            values_.connected.load()) {
            on_handset_event(read_le16(body + records::kCmdCodeOffset));
        }
    } else if (signal == records::kSigDownloadDataInd) {
        on_data_indication(body, body_bytes);
    }
}

void MainCore::on_handset_event(uint16_t code) {
    receiver_.stop();
    // Stop the operation first, so that no step of it runs while the user reads the message.
    if (worker_recorded_.load()) {
        close_temp_file();
        stop_worker_at_once();
        worker_recorded_.store(false);
    }
    const MessageId event = event_message(code);
    show_report({ReportLevel::Failed, {event}});
    ui_.operation_ended({pending(), false, event});
    clear_handset_files();
    values_.cancel.store(true);
    set_busy(false);
    connection_state_update(false, true);
    binding_.close_link();
}

void MainCore::on_line_lost() {
    // An operation under way sees its requests fail at once and ends the connection its own way;
    // an idle connection ends here, so the user is not left looking at a handset that is gone.
    if (busy_.load() || !values_.connected.load()) {
        return;
    }
    receiver_.stop();
    clear_handset_files();
    connection_state_update(false, true);
    binding_.close_link();
    show_report({ReportLevel::Failed, {MessageId::LineLost}});
    ui_.operation_ended({Operation::None, false, MessageId::LineLost});
}

void MainCore::on_data_indication(const uint8_t *body, size_t size) {
    switch (receiver_.accept(body, size)) {
        case BlockReceiver::Outcome::Acknowledge:
            binding_.answer_data_indication();
            break;
        case BlockReceiver::Outcome::Complete:
            complete_listing();
            break;
        case BlockReceiver::Outcome::Refused:
            connect_failed();
            break;
        case BlockReceiver::Outcome::NoAnswer:
        case BlockReceiver::Outcome::Ignored:
            break;
    }
}

void MainCore::complete_listing() {
    receiver_.stop();
    const ListingResult listing = read_listing(receiver_.data());
    if (listing.storage_ok) {
        capacity_ = listing.capacity;
        free_space_ = listing.free_space;
        ui_.set_space(capacity_, free_space_);
    }
    if (!listing.accepted) {
        connect_failed();
        return;
    }
    table_.clear();
    rows_.clear();
    ui_.show_handset_rows(rows_);
    values_.connected.store(true);
    table_.assign(parser_.parse(listing.text));
    ui_.focus_handset_tree();
    refill_handset_list();
    binding_.set_mode(kModeIdle);
    if (relisting_) {
        // A listing read again after an unconfirmed command: the state is already reported.
        relisting_ = false;
        if (!busy_.load()) {
            connection_state_update(true, true);
        }
        return;
    }
    connection_state_update(true, true);
    show_report({ReportLevel::Finished, {MessageId::ConnectDone}});
    ui_.operation_ended({Operation::Connect, true, MessageId::ConnectDone});
}

void MainCore::connect_failed() {
    show_report({ReportLevel::Failed, {MessageId::ConnectFailed}});
    ui_.operation_ended({Operation::Connect, false, MessageId::ConnectFailed});
}

}  // namespace zemlo::app
