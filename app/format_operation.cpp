#include "format_operation.h"

#include "remote_command_body.h"

namespace zemlo::app {

namespace {

constexpr uint16_t kFormatHandshakeRange = 3;
constexpr uint16_t kFormatRange = 2;
constexpr uint32_t kFormatTimeoutMs = 500;

}  // namespace

void format_handset(OperationContext &ctx, const FormatRequest &request) {
    if (!request.connected) {
        ctx.report({MessageId::Connecting}, ReportLevel::Progress, kFormatHandshakeRange);
        std::vector<uint8_t> reply;
        if (!ctx.handshake_with_attempts(records::kHandshakeFormat, reply)) {
            return;
        }
        if (reply_status(reply) != records::kStatusAccepted) {
            ctx.report({MessageId::PhoneCommError}, ReportLevel::Failed);
            return;
        }
    }
    ctx.on_window([&] { ctx.window.show_not_connected(false); });
    ctx.report({MessageId::Formatting}, ReportLevel::Progress,
               request.connected ? kFormatRange : 0);
    std::vector<uint8_t> reply = preset_reply();
    ctx.binding.set_timeout(kFormatTimeoutMs);
    int32_t status = 0;
    const bool sent =
        ctx.send_command(command_body({records::kGroupFile, records::kCodeFormat}), reply, &status);
    ctx.binding.set_timeout(kDefaultTimeoutMs);
    if (!sent) {
        ctx.hide_wait_window();
        return;
    }
    // Only a handset that took the command and went quiet is restarting; a command that never
    // reached it (the line gone) formatted nothing, so nothing is cleared.
    if (!confirmed(status) && status != HL_TIMEOUT) {
        ctx.report({MessageId::NoAnswer}, ReportLevel::Failed);
        return;
    }
    const uint16_t result = reply_result(reply);
    if (result == records::kResultInUse) {
        ctx.report({MessageId::FormatInUse}, ReportLevel::Failed);
        return;
    }
    if (result == records::kResultFormatFailed) {
        ctx.report({MessageId::FormatFailed}, ReportLevel::Failed);
        return;
    }
    // Any other answer, or none at all, means the handset is restarting with an empty store.
    ctx.report({MessageId::Restarting}, ReportLevel::Progress);
    if (!ctx.stop.sleep_for(request.restart_wait)) {
        return;
    }
    ctx.end_with({MessageId::FormatDone}, ReportLevel::Notice, true);
    ctx.on_window([&] {
        ctx.listing.forget_files();
        ctx.window.show_not_connected(true);
    });
}

}  // namespace zemlo::app
