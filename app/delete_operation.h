// Delete: one file of a handset folder is removed.
#pragma once

#include <string>

#include "operation_context.h"

namespace zemlo::app {

struct DeleteRequest {
    std::string folder;  // the handset folder
    std::string name;    // with its extension
};

// Asks the handset to delete the file (the listing's selected one). Once it has, the listing
// drops it before the last report.
void delete_on_handset(OperationContext &ctx, const DeleteRequest &request);

}  // namespace zemlo::app
