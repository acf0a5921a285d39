#include "disconnect_operation.h"

#include "remote_command_body.h"

namespace zemlo::app {

namespace {

constexpr uint16_t kDisconnectRange = 1;

}  // namespace

void disconnect_handset(OperationContext &ctx, bool notify) {
    ctx.on_window([&] {
        ctx.window.stop_listing();
        ctx.listing.forget_files();
    });
    // A cancelled connect is ended with a disconnect only when the link came up: otherwise the
    // disconnect would first have to open the link to a handset that never answered, and the
    // user who pressed Ctrl-C would wait for another full connect attempt.
    if (ctx.values.connected.load() || (ctx.cancelled() && ctx.binding.port_open())) {
        ctx.on_window([&] { ctx.window.show_not_connected(false); });
        if (notify) {
            ctx.report({MessageId::Disconnecting}, ReportLevel::Progress, kDisconnectRange);
        }
        std::vector<uint8_t> reply = preset_reply();
        const bool sent = ctx.send_command(command_body({records::kGroupDisconnect, 0}), reply);
        // A handset that does not confirm is as good as gone: say so, whatever the send did.
        if (!sent || reply_status(reply) != records::kStatusAccepted) {
            ctx.report({MessageId::NoAnswer}, ReportLevel::Finished);
        } else if (notify) {
            ctx.end_with({MessageId::Disconnected}, ReportLevel::Finished, true);
        }
    }
    ctx.binding.close_link();
    if (notify) {
        ctx.on_window([&] { ctx.window.show_not_connected(true); });
    }
}

void send_abort_notice(OperationContext &ctx) {
    const auto body = command_body({records::kGroupAbort, 0});
    ctx.binding.set_mode(kModeIdle);
    std::vector<uint8_t> reply = preset_reply();
    const OpenErrorsSilenced quiet(ctx.values);
    ctx.send_command(body, reply);
}

}  // namespace zemlo::app
