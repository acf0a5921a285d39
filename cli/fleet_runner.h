// One handset command on several handsets at once. The link library serves one handset per
// process, so each handset gets a worker: this program run again with that handset alone, its
// own work folder and its own output pipes. The runner shows a progress line per handset, passes
// Ctrl-C on to every worker (each then sends its handset the abort notice) and ends with a
// summary.
#pragma once

#include <string>
#include <vector>

#include "global_options.h"

namespace zemlo::cli {

// True for the commands that take several handsets (download, list).
bool serves_several_handsets(const std::string &command);

// Runs `command` with `args` (after the name) on every handset options name; returns the exit
// status (fleet_exit_status).
int run_on_handsets(const std::string &command, const std::vector<std::string> &args,
                    const GlobalOptions &options);

}  // namespace zemlo::cli
