// The judge of one run of the sweep. It does not take the program's word for what happened: the
// handset's store says whether the operation was carried out, and what the user was told is held
// against that. Pure.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zemlo::sweep {

// A handset store as the handset lists it: "pic/a.bmp" to its bytes.
using StoreFiles = std::map<std::string, std::vector<uint8_t>>;

// What the user was told at the end.
enum class Told {
    Success,
    Failure,  // a failure named for what happened
    Unknown,  // the handset may have done it: check the listing
};

std::string_view told_name(Told told);

struct RunFacts {
    bool ended = true;  // within its deadline
    double seconds = 0;
    double cpu_seconds = 0;
    Told told = Told::Failure;
    bool failure_named = true;  // a failure said what happened
    StoreFiles before;
    StoreFiles intended;  // the store after a fault-free run
    StoreFiles after;
    // Whether what the front end shows of the handset (the core's file table and buttons, the
    // listing a command printed) agrees with the store right after the run; nothing when it
    // shows nothing then.
    std::optional<bool> shown_agrees;
    bool reconnect_agrees = true;          // after a reconnect, what is shown equals the store
    bool second_works = true;              // an operation right after it succeeds
    std::vector<std::string> left_behind;  // work files or run folders
};

enum class Violation {
    Hang,                   // did not end within its deadline
    Spin,                   // used more processor time than waiting allows
    FalseSuccess,           // success told, the handset did not do it
    LostFile,               // the store is neither as before nor as intended
    FailureWithoutUnknown,  // failure told for what the handset did do
    Unnamed,                // a failure that says nothing
    StateDisagrees,         // what is shown after the run is not the store
    ReconnectDisagrees,     // what is shown after a reconnect is not the store
    SecondFails,            // the next operation does not work
    WorkLeft,               // work files or run folders left behind
};

std::string_view violation_name(Violation v);
std::optional<Violation> violation_from_name(std::string_view name);

struct Bounds {
    double cpu_seconds = 2.0;
};

struct Judgement {
    Told told = Told::Failure;
    bool carried_out = false;  // the store is as intended (and that differs from before)
    std::vector<Violation> violations;
};

Judgement judge(const RunFacts &facts, const Bounds &bounds);

}  // namespace zemlo::sweep
