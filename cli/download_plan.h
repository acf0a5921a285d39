// What a download of several files would do to the handset as last listed, worked out without
// sending anything: for each file in turn, whether the folder has a place for it, whether the
// handset has room, which file of the same name it replaces and the free space left after it.
// The checks are the download's own, in its order, and each file that would arrive counts for
// the next one.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "handset_file_table.h"
#include "messages.h"

namespace zemlo::cli {

struct PlannedFile {
    app::FileType type = app::FileType::Picture;
    std::string name;    // on the handset, with its extension
    int64_t length = 0;  // the converted file's bytes
};

struct PlanStep {
    std::optional<app::MessageId> refusal;  // why the download would refuse the file
    int64_t takes = 0;                      // the handset's allocation for it
    int64_t available = 0;                  // the bytes it may take: free plus what it replaces
    bool replaces = false;                  // a handset file of the same name goes
    int64_t free_after = 0;                 // the handset's free space after it
};

// The steps for the files in order. A refusal that the next files would meet as well (a full
// folder, no room) is recorded for its file only; the caller decides what follows from it.
std::vector<PlanStep> plan_downloads(app::HandsetFileTable table, int64_t free_space,
                                     const std::vector<PlannedFile> &files);

}  // namespace zemlo::cli
