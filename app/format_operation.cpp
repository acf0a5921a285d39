#include "format_operation.h"

#include <algorithm>
#include <string>

#include "connect_operation.h"
#include "core_time.h"
#include "remote_command_body.h"

namespace zemlo::app {

namespace {

using Clock = std::chrono::steady_clock;

constexpr uint16_t kFormatHandshakeRange = 3;
constexpr uint16_t kFormatRange = 2;
constexpr uint32_t kFormatTimeoutMs = 500;
// Between two tries to reach the restarting handset: a port that cannot be opened fails at once.
constexpr auto kRetryPause = std::chrono::milliseconds(500);
// The listing, once the handset has taken the handshake again: a few packets at most.
constexpr auto kListingWait = std::chrono::seconds(10);

std::string seconds_left(Clock::time_point deadline) {
    const auto left = std::chrono::ceil<std::chrono::seconds>(deadline - Clock::now());
    return std::to_string(std::max<int64_t>(left.count(), 0));
}

// Tries to connect to the restarting handset until the deadline; true once it took the handshake.
bool reach_again(OperationContext &ctx, Clock::time_point deadline) {
    // A handset still restarting makes the port fail to open or the set-up go unanswered: neither
    // is an error box of its own, the format's report says what it means.
    const OpenErrorsSilenced quiet(ctx.values);
    const auto handshake = command_body({records::kGroupHandshake, records::kHandshakeConnect});
    for (uint32_t attempt = 1;; ++attempt) {
        ctx.report(
            {MessageId::FormatReconnecting, {std::to_string(attempt), seconds_left(deadline)}},
            ReportLevel::Progress);
        // A restarted handset waits for the link to be set up afresh: the request closes the link
        // and opens it again.
        ctx.binding.forget_port();
        std::vector<uint8_t> reply = preset_reply();
        if (ctx.send_command(handshake, reply) && reply_status(reply) == records::kStatusAccepted) {
            return true;
        }
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0 || !ctx.wait(std::min(kRetryPause, left))) {
            return false;
        }
    }
}

// The handset took the command and went quiet, but its store was never seen: the user is told
// what is known, and the window shows no files of a handset that is not connected.
void unconfirmed(OperationContext &ctx) {
    if (ctx.stop.stopped()) {
        return;
    }
    // The next connect sets the link up afresh; nothing is left open for the operation's end to
    // say goodbye on.
    ctx.binding.close_link();
    ctx.on_window([&] {
        ctx.window.stop_listing();
        ctx.listing.forget_files();
        ctx.window.show_connection(false);
    });
    ctx.report({MessageId::FormatUnconfirmed}, ReportLevel::Failed);
}

// After the restart: the handset is reached again and listed; only an empty store is a format.
void check_store(OperationContext &ctx, const FormatTiming &timing) {
    const Clock::time_point deadline = Clock::now() + timing.reach_limit;
    if (!reach_again(ctx, deadline)) {
        unconfirmed(ctx);
        return;
    }
    ctx.binding.set_mode(kModeListing);
    ctx.report({MessageId::FormatReadingFiles}, ReportLevel::Progress);
    if (ctx.cancelled() || !request_listing(ctx, ListingPurpose::FormatCheck)) {
        unconfirmed(ctx);
        return;
    }
    const std::optional<ListingResult> seen = ctx.window.await_checked_listing(std::max(
        deadline, Clock::now() + std::chrono::duration_cast<Clock::duration>(kListingWait)));
    if (!seen || !seen->accepted) {
        unconfirmed(ctx);
        return;
    }
    ctx.binding.set_mode(kModeIdle);
    bool empty = false;
    ctx.on_window([&] {
        if (seen->storage_ok) {
            ctx.listing.take_storage(seen->capacity, seen->free_space);
        }
        ctx.listing.take_text(seen->text);
        empty = ctx.listing.table().entries().empty();
        ctx.window.show_connection(true);
    });
    if (empty) {
        ctx.end_with({MessageId::FormatDone}, ReportLevel::Notice, true);
    } else {
        ctx.report({MessageId::FormatNotDone}, ReportLevel::Failed);
    }
}

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
    // Cancelled during the handshake: the store stays as it is.
    if (ctx.cancelled()) {
        return;
    }
    ctx.on_window([&] { ctx.window.show_not_connected(false); });
    ctx.report({MessageId::Formatting}, ReportLevel::Progress,
               request.connected ? kFormatRange : 0);
    std::vector<uint8_t> reply = preset_reply();
    ctx.binding.set_timeout(kFormatTimeoutMs);
    int32_t status = 0;
    const bool sent = ctx.send_command(command_body({records::kGroupFile, records::kCodeFormat}),
                                       reply, &status, true);
    ctx.binding.set_timeout(kDefaultTimeoutMs);
    if (!sent) {
        ctx.values.change_in_flight.store(false);
        ctx.hide_wait_window();
        return;
    }
    // Only a handset that took the command and went quiet may be restarting; a command that never
    // reached it (the line gone, or refused with NAK) formatted nothing, so nothing is cleared. A
    // frame whose acknowledgement was lost may have reached it: the check after the restart tells.
    if (!confirmed(status) && status != HL_TIMEOUT && !may_have_reached(status)) {
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
    // Any other answer, or none at all: the handset may be restarting with an empty store, or may
    // have ignored the command. Its connection is gone either way until it is reached again.
    ctx.on_window([&] {
        ctx.listing.forget_files();
        ctx.window.show_connection(false);
    });
    ctx.report({MessageId::Restarting}, ReportLevel::Progress);
    if (!ctx.wait(core_time(request.timing.restart_wait))) {
        unconfirmed(ctx);
        return;
    }
    check_store(ctx, request.timing);
}

}  // namespace zemlo::app
