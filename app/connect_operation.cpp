#include "connect_operation.h"

#include "remote_command_body.h"

namespace zemlo::app {

namespace {

constexpr uint8_t kModeListing = 1;
constexpr uint16_t kConnectRange = 2;

bool request_listing(OperationContext &ctx, const ListingWindow &window) {
    records::RemoteCommand list{records::kGroupFile, records::kCodeList};
    list.argument = 0;
    std::vector<uint8_t> reply = preset_reply(records::kResultListPreset);
    // Armed before the command goes out, so that the handset's answer finds it armed.
    ctx.reporter.on_window(window.expect);
    if (!ctx.send_command(command_body(list), reply)) {
        ctx.reporter.on_window(window.give_up);
        return false;
    }
    return true;
}

}  // namespace

bool connect_handset(OperationContext &ctx, const ListingWindow &window) {
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
    ctx.reporter.on_window([&] { window.begin(false); });
    ctx.binding.set_mode(kModeListing);
    ctx.report({MessageId::ReadingData}, ReportLevel::Progress);
    if (ctx.cancelled()) {
        return false;
    }
    if (!request_listing(ctx, window)) {
        ctx.hide_wait_window();
        return false;
    }
    if (!window.started()) {
        // The handset never began its listing: the connect fails instead of waiting for ever.
        ctx.reporter.on_window(window.give_up);
        ctx.report({MessageId::ConnectFailed}, ReportLevel::Failed);
        return false;
    }
    // The handset now answers with the listing, handled on the window thread.
    return true;
}

void relist_handset(OperationContext &ctx, const ListingWindow &window) {
    // The listing replaces the table when it arrives; it completes no connect.
    ctx.reporter.on_window([&] { window.begin(true); });
    ctx.binding.set_mode(kModeListing);
    if (request_listing(ctx, window) && !window.started()) {
        ctx.reporter.on_window(window.give_up);
    }
}

}  // namespace zemlo::app
