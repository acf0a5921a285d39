// Format: the handset's media store is emptied and the handset restarts.
#pragma once

#include <chrono>
#include <functional>

#include "operation_context.h"

namespace zemlo::app {

struct FormatRequest {
    bool connected = false;  // a handset not connected gets its own handshake first
    std::chrono::milliseconds restart_wait{5000};
};

// Formats the handset's store. hold runs on the window thread before the command goes out (the
// commands held while the handset works); formatted runs there once the handset has restarted
// with an empty store, after the last report.
void format_handset(OperationContext &ctx, const FormatRequest &request,
                    const std::function<void()> &hold, const std::function<void()> &formatted);

}  // namespace zemlo::app
