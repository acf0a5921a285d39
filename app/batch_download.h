// Several PC files downloaded in one connection, each through the single download's own steps: one
// wait window says which file of how many is on its way, the questions after each transfer are
// answered once for all when the user chose to keep them all, and a summary names what became of
// each. A full folder, a handset without room or a lost line stops the files left; a cancel stops
// between or inside files.
#pragma once

#include <string>
#include <vector>

#include "batch_ledger.h"
#include "download_operation.h"
#include "operation_context.h"
#include "sent_file.h"

namespace zemlo::app {

struct BatchRequest {
    std::vector<DownloadRequest> files;  // names already checked, none clashing
    bool keep_all = false;               // keep every file without a preview, asking nothing
};

// What became of one file of the batch.
struct BatchFileResult {
    bool sent = false;     // its download was started
    bool arrived = false;  // the handset keeps it
    std::string result;    // its result as the user reads it
};

// Downloads the files in turn, entering what becomes of each in ledger (window thread; begun
// before), and shows the summary at the end, unless a handset event stopped the batch and the
// window showed it then. Returns each file's result.
std::vector<BatchFileResult> download_batch(OperationContext &ctx, const BatchRequest &request,
                                            BatchLedger &ledger, SentFile &file);

}  // namespace zemlo::app
