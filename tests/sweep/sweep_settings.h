// How the sweep runs: the short times it gives the link library, the core and the emulator,
// the faults' own timing, and the bounds each run is judged by.
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "handsim/emulator.h"
#include "sweep_oracle.h"
#include "sweep_plan.h"

namespace zemlo::sweep {

struct Settings {
    std::filesystem::path bin;  // zemlo-cli and the libraries
    // The library's and the core's waits at this percentage (HANDLINK_TIME_PERCENT,
    // ZEMLO_TIME_PERCENT): its exchange timeout is 2000 ms at 100, 300 ms at 15.
    uint32_t time_percent = 15;
    std::chrono::milliseconds ack_timeout{150};   // the handset's wait for the PC's ACK
    std::chrono::milliseconds restart_quiet{50};  // the handset's silence after a format
    uint32_t delay_ms = 500;                      // a delayed frame: past the exchange timeout
    std::chrono::milliseconds deadline{60000};    // a run that takes longer hangs
    Bounds bounds;
    // What "result unknown, check the listing" reads: a change the handset may have made, and a
    // format sent but whose store was never seen after the restart.
    std::vector<std::string> unknown_texts;
};

// One operation of the table: how a front end runs it, and which frames are its own.
struct Operation {
    std::string name;
    // The command line after the device (zemlo-cli); "{pc}" stands for the user's folder.
    std::vector<std::string> args;
    SpanRule span;
    // Frames left out as alike: from the first frame of `skip.starts` to before `skip.ends`.
    std::optional<SpanRule> skip;
    bool lists = false;  // it prints the listing
};

// The emulator of one run in folder dir (its line "ttyHS", its store "store"), with the short
// times of the settings and the fault placed; Cancel is the caller's to press.
handsim::EmulatorOptions emulator_options(const std::filesystem::path &dir, const Settings &s,
                                          const std::optional<PlannedRun> &fault);

}  // namespace zemlo::sweep
