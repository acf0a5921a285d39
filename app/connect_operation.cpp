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
    if (!ctx.window.listing_started()) {
        // The handset never began its listing: the connect fails instead of waiting for ever.
        ctx.on_window([&] { ctx.window.stop_listing(); });
        ctx.report({MessageId::ConnectFailed}, ReportLevel::Failed);
        return false;
    }
    // The handset now answers with the listing, taken in on the window thread.
    return true;
}

void relist_handset(OperationContext &ctx) {
    // The listing replaces the table when it arrives; it completes no connect.
    ctx.binding.set_mode(kModeListing);
    if (request_listing(ctx, ListingPurpose::Again) && ctx.window.listing_started()) {
        return;
    }
    // No listing: what the table shows can no longer be trusted, and the connection ends.
    ctx.on_window([&] {
        ctx.window.stop_listing();
        ctx.listing.forget_files();
        ctx.window.show_not_connected(true);
    });
    ctx.binding.close_link();
}

}  // namespace zemlo::app
