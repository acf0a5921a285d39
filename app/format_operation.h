// Format: the handset's media store is emptied and the handset restarts.
#pragma once

#include <chrono>

#include "operation_context.h"

namespace zemlo::app {

struct FormatRequest {
    bool connected = false;  // a handset not connected gets its own handshake first
    std::chrono::milliseconds restart_wait{5000};
};

// Formats the handset's store. The commands are held while the handset works; once it has
// restarted with an empty store, after the last report, the window shows no files and offers
// connect again.
void format_handset(OperationContext &ctx, const FormatRequest &request);

}  // namespace zemlo::app
