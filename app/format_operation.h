// Format: the handset's media store is emptied and the handset restarts. A handset that formats
// restarts instead of answering, so its silence proves nothing: the format counts as done only once
// the handset, reached again after its restart, lists an empty store.
#pragma once

#include <chrono>

#include "operation_context.h"

namespace zemlo::app {

struct FormatTiming {
    // The handset's restart, before it is tried again.
    std::chrono::milliseconds restart_wait{5000};
    // How long after that it is tried again before the format is reported as not confirmed (a
    // try under way when it runs out is finished).
    std::chrono::milliseconds reach_limit{20000};
};

struct FormatRequest {
    bool connected = false;  // a handset not connected gets its own handshake first
    FormatTiming timing;
};

// Formats the handset's store and checks the result: after the restart wait the handset is
// connected again and listed, and the window ends showing what was seen (connected with the files
// listed, or not connected with none when the handset could not be reached again).
void format_handset(OperationContext &ctx, const FormatRequest &request);

}  // namespace zemlo::app
