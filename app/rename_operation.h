// Rename: one file of a handset folder gets a new name.
#pragma once

#include <cstdint>
#include <string>

#include "operation_context.h"

namespace zemlo::app {

struct RenameRequest {
    std::string folder;    // the handset folder
    std::string old_name;  // with its extension
    std::string new_name;  // with its extension
    int32_t row = -1;      // the file's row in the listing
};

// Asks the handset to rename the file. When the handset answered, the listing shows the name the
// handset has before the last report.
void rename_on_handset(OperationContext &ctx, const RenameRequest &request);

}  // namespace zemlo::app
