// Delete: one file of a handset folder is removed.
#pragma once

#include <functional>
#include <string>

#include "operation_context.h"

namespace zemlo::app {

struct DeleteRequest {
    std::string folder;  // the handset folder
    std::string name;    // with its extension
};

// Asks the handset to delete the file. Once it has, deleted runs on the window thread before the
// last report, so the window no longer lists the file.
void delete_on_handset(OperationContext &ctx, const DeleteRequest &request,
                       const std::function<void()> &deleted);

}  // namespace zemlo::app
