// Rename: one file of a handset folder gets a new name.
#pragma once

#include <functional>
#include <string>

#include "operation_context.h"

namespace zemlo::app {

struct RenameRequest {
    std::string folder;    // the handset folder
    std::string old_name;  // with its extension
    std::string new_name;  // with its extension
};

// Asks the handset to rename the file. When the handset answered, show runs on the window thread
// with its verdict (true: renamed) before the last report, so the window shows the name the
// handset has.
void rename_on_handset(OperationContext &ctx, const RenameRequest &request,
                       const std::function<void(bool renamed)> &show);

}  // namespace zemlo::app
