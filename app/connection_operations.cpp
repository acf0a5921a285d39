// Connect, disconnect, the abort notice, handset events and the listing that completes a connect.
#include <algorithm>

#include "connect_operation.h"
#include "core_time.h"
#include "disconnect_operation.h"
#include "main_core.h"
#include "remote_command_body.h"
#include "zemlo/signal_record.h"

namespace zemlo::app {

namespace {

constexpr uint8_t kModeIdle = 0;
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

ListingWindow MainCore::listing_window() {
    return {[this](bool again) { relisting_ = again; },
            [this] {
                receiver_.expect();
                listing_start_.arm();
            },
            [this] {
                receiver_.stop();
                if (relisting_) {
                    relist_failed();
                }
            },
            [this] {
                return listing_start_.wait(core_time(std::chrono::milliseconds(kDefaultTimeoutMs)));
            }};
}

void MainCore::run_connect() {
    listing_follows_ = connect_handset(context_, listing_window());
}

void MainCore::reread_listing() {
    relist_handset(context_, listing_window());
}

void MainCore::run_disconnect(bool notify) {
    // At teardown the window thread disconnects: that belongs to no operation's outcome.
    Outcome teardown_outcome;
    OperationContext teardown{binding_, *this, token_, values_, teardown_outcome};
    disconnect_handset(dispatcher_.on_window_thread() ? teardown : context_, notify,
                       {[this] {
                            receiver_.stop();
                            clear_handset_files();
                        },
                        [this] { connection_state_update(false, false); },
                        [this] { connection_state_update(false, true); }});
}

void MainCore::run_abort_notice() {
    send_abort_notice(context_);
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
    // A command that changes the store may already have reached the handset: what it did is
    // unknown, and the user is told so after the event.
    bool unknown = false;
    // Stop the operation first, so that no step of it runs while the user reads the message.
    if (worker_recorded_.load()) {
        unknown = values_.change_in_flight.exchange(false);
        sent_file_.close();
        stop_worker_at_once();
        worker_recorded_.store(false);
    }
    const MessageId event = event_message(code);
    show_report({ReportLevel::Failed, {event}});
    if (unknown) {
        show_report({ReportLevel::Failed, {MessageId::ResultUnknown}});
    }
    ui_.operation_ended({pending(), false, unknown ? MessageId::ResultUnknown : event});
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
    const BlockReceiver::Outcome outcome = receiver_.accept(body, size);
    if (outcome != BlockReceiver::Outcome::Ignored) {
        listing_start_.begun();
    }
    switch (outcome) {
        case BlockReceiver::Outcome::Acknowledge:
            // The handset's next packet is the answer; without it the transfer has stalled, and
            // the listing will not come.
            if (!binding_.answer_data_indication() && receiver_.receiving()) {
                receiver_.stop();
                connect_failed();
            }
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

void MainCore::relist_failed() {
    relisting_ = false;
    clear_handset_files();
    connection_state_update(false, true);
    binding_.close_link();
}

void MainCore::connect_failed() {
    if (relisting_) {
        relist_failed();
        return;
    }
    show_report({ReportLevel::Failed, {MessageId::ConnectFailed}});
    ui_.operation_ended({Operation::Connect, false, MessageId::ConnectFailed});
}

}  // namespace zemlo::app
