#include "handset_inbox.h"

#include <algorithm>

#include "zemlo/byte_order.h"
#include "zemlo/handset_records.h"
#include "zemlo/signal_record.h"

namespace zemlo::app {

namespace {

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

HandsetInbox::HandsetInbox(Dispatcher &dispatcher, DeviceBinding &binding, ProgramValues &values,
                           Receiver &receiver)
    : dispatcher_(dispatcher),
      binding_(binding),
      values_(values),
      receiver_(receiver),
      alive_(std::make_shared<std::atomic<HandsetInbox *>>(this)) {
    sink_.base.post = &HandsetInbox::forward;
    sink_.inbox = this;
}

HandsetInbox::~HandsetInbox() {
    alive_->store(nullptr);
}

void HandsetInbox::forward(HlWindow *self, uint32_t, uintptr_t wparam, intptr_t lparam) {
    // Called on the library's device worker: copy the record now, it is overwritten later.
    auto *sink = reinterpret_cast<Sink *>(self);
    const auto *record = reinterpret_cast<const uint8_t *>(wparam);
    std::shared_ptr<std::atomic<HandsetInbox *>> alive = sink->inbox->alive_;
    if (lparam == HL_LINE_LOST) {
        sink->inbox->dispatcher_.post([alive] {
            if (HandsetInbox *inbox = alive->load()) {
                inbox->receiver_.line_lost();
            }
        });
        return;
    }
    if (record == nullptr) {
        return;
    }
    const size_t length = zemlo::read_le16(record + kRecordLengthOffset);
    const size_t n = std::min(kRecordHeadBytes + length, kForwardedRecordBytes);
    sink->inbox->dispatcher_.post([alive, copy = std::vector<uint8_t>(record, record + n)] {
        if (HandsetInbox *inbox = alive->load()) {
            inbox->take(copy);
        }
    });
}

void HandsetInbox::take(const std::vector<uint8_t> &record) {
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
            receiver_.handset_event(event_message(read_le16(body + records::kCmdCodeOffset)));
        }
    } else if (signal == records::kSigDownloadDataInd) {
        take_data(body, body_bytes);
    }
}

void HandsetInbox::expect_listing(ListingPurpose purpose) {
    purpose_ = purpose;
    blocks_.expect();
    start_.arm();
}

void HandsetInbox::take_data(const uint8_t *body, size_t size) {
    const BlockReceiver::Outcome outcome = blocks_.accept(body, size);
    if (outcome != BlockReceiver::Outcome::Ignored) {
        start_.begun();
    }
    // Whoever asked for this listing; the next one is a connect's unless asked otherwise.
    const ListingPurpose purpose = purpose_;
    switch (outcome) {
        case BlockReceiver::Outcome::Acknowledge:
            // The handset's next packet is the answer; without it the transfer has stalled, and
            // the listing will not come.
            if (!binding_.answer_data_indication() && blocks_.receiving()) {
                blocks_.stop();
                purpose_ = ListingPurpose::Connect;
                receiver_.listing_failed(purpose);
            }
            break;
        case BlockReceiver::Outcome::Complete: {
            blocks_.stop();
            purpose_ = ListingPurpose::Connect;
            receiver_.listing_arrived(read_listing(blocks_.data()), purpose);
            break;
        }
        case BlockReceiver::Outcome::Refused:
            purpose_ = ListingPurpose::Connect;
            receiver_.listing_failed(purpose);
            break;
        case BlockReceiver::Outcome::NoAnswer:
        case BlockReceiver::Outcome::Ignored:
            break;
    }
}

}  // namespace zemlo::app
