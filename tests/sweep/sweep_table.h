// The sweep's results: one line per run (so that shards run apart can be put together), and the
// table of operations by fault kind with the points tried and the outcomes. Pure.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "sweep_oracle.h"
#include "sweep_plan.h"

namespace zemlo::sweep {

struct RunResult {
    PlannedRun run;
    Told told = Told::Failure;
    std::vector<Violation> violations;
    double seconds = 0;
    std::string note;  // what the user was told, for a reader of a failing run

    bool operator==(const RunResult &) const = default;
};

// One tab-separated line, without its newline.
std::string result_line(const RunResult &r);
std::optional<RunResult> parse_result_line(std::string_view line);

// The table, in Markdown: a row per operation (in the order given; others after), a column per
// fault kind holding "points tried: successes/failures/unknown", then the totals and the bar.
std::string result_table(const std::vector<RunResult> &results,
                         const std::vector<std::string> &operations);

}  // namespace zemlo::sweep
