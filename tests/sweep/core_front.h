// The sweep through the window's core in this process: a fresh emulator, store and core for each
// run, the operation asked for as the window's confirmed request, Cancel pressed as the wait
// window's button, and the core's own state (file table, free space, buttons) held against the
// store after the run and after a reconnect. The link library is one per process, so a process
// runs one of these at a time.
#pragma once

#include <optional>
#include <vector>

#include "cli_front.h"
#include "sweep_oracle.h"
#include "sweep_plan.h"
#include "sweep_settings.h"

namespace zemlo::sweep {

std::vector<Operation> core_operations();

// Sets what the core and the library read once per process (their short times, the work
// folder); call before the first run.
void prepare_core_process(const Settings &s, const std::filesystem::path &work);

RunRecord run_on_core(const Operation &op, const std::optional<PlannedRun> &fault,
                      const StoreFiles &intended, const Settings &s,
                      const std::filesystem::path &work);

}  // namespace zemlo::sweep
