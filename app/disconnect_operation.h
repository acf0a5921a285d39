// Disconnect, and the abort notice that tells a connected handset a cancelled operation is over.
#pragma once

#include "operation_context.h"

namespace zemlo::app {

// Tells the handset goodbye when there is one to tell, and closes the link; the window is left
// not connected, without the handset's files. notify: the steps and the result are reported, and
// connect is offered again (not at teardown, where only a handset that did not answer is told).
void disconnect_handset(OperationContext &ctx, bool notify);

// Tells a connected handset that the operation under way was cancelled; errors of the link are
// not shown, since the user has already stopped.
void send_abort_notice(OperationContext &ctx);

}  // namespace zemlo::app
