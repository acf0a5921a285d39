#include "operation_context.h"

#include "connect_operation.h"
#include "remote_command_body.h"

namespace zemlo::app {

namespace {

constexpr uint16_t kSingleStep = 1;

// Where an operation stands when it shows a message, for a front end that shows progress its own
// way instead of the message.
Stage stage_of(MessageId id) {
    switch (id) {
        case MessageId::Connecting:
            return Stage::Connecting;
        case MessageId::ReadingData:
            return Stage::Listing;
        case MessageId::ConvertingPicture:
        case MessageId::ConvertingMelody:
        case MessageId::ConvertPictureDone:
        case MessageId::ConvertMelodyDone:
            return Stage::Converting;
        case MessageId::StartingDownload:
            return Stage::Announcing;
        case MessageId::SendingPacket:
            return Stage::Sending;
        case MessageId::Previewing:
        case MessageId::PreviewSet:
            return Stage::Previewing;
        case MessageId::Discarding:
            return Stage::Discarding;
        case MessageId::Renaming:
            return Stage::Renaming;
        case MessageId::Deleting:
            return Stage::Deleting;
        case MessageId::Formatting:
            return Stage::Formatting;
        case MessageId::Restarting:
            return Stage::Restarting;
        case MessageId::Disconnecting:
            return Stage::Disconnecting;
        default:
            return Stage::None;
    }
}

}  // namespace

void OperationContext::report(const Message &message, ReportLevel level, uint16_t range,
                              const Progress &progress) {
    Report r{level, message, range, progress};
    if (r.progress.stage == Stage::None) {
        r.progress.stage = stage_of(message.id);
    }
    if (level != ReportLevel::Progress) {
        outcome.result = message.id;
        outcome.succeeded = false;
    }
    window.on_window([&] {
        window.show(r);
        // Told how it ended, on the thread a handset event is handled on.
        if (level != ReportLevel::Progress) {
            values.change_in_flight.store(false);
        }
    });
}

void OperationContext::end_with(const Message &message, ReportLevel level, bool succeeded) {
    report(message, level);
    outcome.succeeded = succeeded;
}

bool OperationContext::wait(std::chrono::milliseconds ms) {
    stop.wait_until(std::chrono::steady_clock::now() + ms, [this] { return cancelled(); });
    return !stop.stopped() && !cancelled();
}

bool OperationContext::send_command(const std::vector<uint8_t> &body, std::vector<uint8_t> &reply,
                                    int32_t *status, bool changes_store) {
    std::vector<uint8_t> copy = body;  // the library may write into the body it is given
    int32_t result = 0;
    if (changes_store) {
        values.change_in_flight.store(true);
    }
    const bool sent = binding.remote_command(copy.data(), reply.data(), &result);
    if (status != nullptr) {
        *status = result;
    }
    outcome.status = result;
    return sent;
}

std::optional<uint16_t> OperationContext::send_file_command(MessageId progress,
                                                            const records::RemoteCommand &command) {
    report({progress}, ReportLevel::Progress, kSingleStep);
    if (cancelled()) {
        return std::nullopt;
    }
    std::vector<uint8_t> reply = preset_reply();
    int32_t status = 0;
    if (!send_command(command_body(command), reply, &status, true)) {
        values.change_in_flight.store(false);
        hide_wait_window();
        return std::nullopt;
    }
    if (ended_unknown(status)) {
        return std::nullopt;
    }
    return reply_result(reply);
}

bool OperationContext::ended_unknown(int32_t status) {
    if (confirmed(status) || !may_have_reached(status)) {
        return false;
    }
    report({MessageId::ResultUnknown}, ReportLevel::Failed);
    relist_handset(*this);
    return true;
}

bool OperationContext::handshake_with_attempts(uint16_t purpose, std::vector<uint8_t> &reply) {
    const auto body = command_body({records::kGroupHandshake, purpose});
    values.connect_attempts_left.store(kConnectAttempts);
    while (values.connect_attempts_left.load() != 0) {
        if (cancelled()) {
            return false;
        }
        values.connect_attempts_left.fetch_sub(1);
        reply = preset_reply();
        if (send_command(body, reply)) {
            return true;
        }
        if (values.connect_attempts_left.load() == 0) {
            hide_wait_window();
            return false;
        }
    }
    return false;
}

}  // namespace zemlo::app
