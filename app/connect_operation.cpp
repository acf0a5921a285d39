#include "connect_operation.h"

#include "remote_command_body.h"

namespace zemlo::app {

namespace {

constexpr uint16_t kConnectRange = 2;

}  // namespace

bool request_listing(OperationContext &ctx, ListingPurpose purpose) {
    records::RemoteCommand list{records::kGroupFile, records::kCodeList};
    list.argument = 0;
    std::vector<uint8_t> reply = preset_reply(records::kResultListPreset);
    // Armed before the command goes out, so that the handset's answer finds it armed.
    ctx.on_window([&] { ctx.window.expect_listing(purpose); });
    if (!ctx.send_command(command_body(list), reply)) {
        ctx.on_window([&] { ctx.window.stop_listing(); });
        return false;
    }
    return true;
}

bool connect_handset(OperationContext &ctx) {
    ctx.report({MessageId::Connecting}, ReportLevel::Progress, kConnectRange);
    ctx.binding.close_link();
    std::vector<uint8_t> reply;
    if (!ctx.handshake_with_attempts(records::kHandshakeConnect, reply)) {
        return false;
    }
    if (reply_status(reply) != records::kStatusAccepted) {
        ctx.report({MessageId::PhoneCommError}, ReportLevel::Failed);
        return false;
    }
    ctx.binding.set_mode(kModeListing);
    ctx.report({MessageId::ReadingData}, ReportLevel::Progress);
    if (ctx.cancelled()) {
        return false;
    }
    if (!request_listing(ctx, ListingPurpose::Connect)) {
        ctx.hide_wait_window();
        return false;
    }
    // The handset now answers with the listing, taken in on the window thread.
    return true;
}

void relist_handset(OperationContext &ctx) {
    // The listing replaces the table when it arrives; it completes no connect.
    ctx.binding.set_mode(kModeListing);
    request_listing(ctx, ListingPurpose::Again);
}

}  // namespace zemlo::app
