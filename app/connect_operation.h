// Connect and list: the handshake, then the request for the handset's listing, which arrives
// afterwards as a block transfer handled on the window thread (MainCore's listing side).
#pragma once

#include <functional>

#include "operation_context.h"

namespace zemlo::app {

// The listing's receiver in the window, each run on the window thread but `started`.
struct ListingWindow {
    std::function<void(bool again)> begin;  // a listing is asked for; again: not a connect's
    std::function<void()> expect;           // armed before the request goes out
    std::function<void()> give_up;          // the request could not be sent, or went unanswered
    // Waits (worker thread) for the handset to begin its listing, at most the library's timeout;
    // false when it did not.
    std::function<bool()> started;
};

// Connects to the handset and asks for its listing; true when the listing was asked for, so the
// connect's outcome comes with it.
bool connect_handset(OperationContext &ctx, const ListingWindow &window);

// Asks a connected handset for its listing again (after a command it did not confirm), so the
// table shows what the handset has.
void relist_handset(OperationContext &ctx, const ListingWindow &window);

}  // namespace zemlo::app
