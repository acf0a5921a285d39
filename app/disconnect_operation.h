// Disconnect, and the abort notice that tells a connected handset a cancelled operation is over.
#pragma once

#include <functional>

#include "operation_context.h"

namespace zemlo::app {

// What a disconnect changes in the window, each run on the window thread.
struct DisconnectWindow {
    std::function<void()> forget;   // first: the listing and the handset's files are dropped
    std::function<void()> hold;     // before the command: the commands held
    std::function<void()> release;  // at the end, when notifying: connect offered again
};

// Tells the handset goodbye when there is one to tell, and closes the link. notify: the steps
// and the result are reported (not at teardown, where only a handset that did not answer is).
void disconnect_handset(OperationContext &ctx, bool notify, const DisconnectWindow &window);

// Tells a connected handset that the operation under way was cancelled; errors of the link are
// not shown, since the user has already stopped.
void send_abort_notice(OperationContext &ctx);

}  // namespace zemlo::app
