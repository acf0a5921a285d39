// The sweep through zemlo-cli as a user runs it: a fresh emulator over a fresh store for each
// run, the command as a child process, Ctrl-C as the Cancel, and after it a second command
// ("list --json") that reconnects and shows what the handset has.
#pragma once

#include <optional>
#include <vector>

#include "handsim/emulator.h"
#include "sweep_oracle.h"
#include "sweep_plan.h"
#include "sweep_settings.h"

namespace zemlo::sweep {

std::vector<Operation> cli_operations();

struct RunRecord {
    RunFacts facts;
    std::string note;  // what the user was told
    std::vector<handsim::ExchangePoint> exchange;
};

// Which handset is at the far end: the project's emulator, or the second handset the sweep keeps
// for a cross-check (second_handset.py, written apart from it).
enum class HandsetKind { Emulator, Second };

// Runs the operation once, with the fault when one is given, and gathers the facts the oracle
// judges (intended: the store after a fault-free run; empty for the fault-free run itself).
RunRecord run_on_cli(const Operation &op, const std::optional<PlannedRun> &fault,
                     const StoreFiles &intended, const Settings &s,
                     HandsetKind handset = HandsetKind::Emulator);

}  // namespace zemlo::sweep
