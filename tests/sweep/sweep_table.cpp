#include "sweep_table.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <map>

namespace zemlo::sweep {

namespace {

std::vector<std::string_view> split(std::string_view line, char sep) {
    std::vector<std::string_view> parts;
    size_t start = 0;
    for (size_t i = 0; i <= line.size(); ++i) {
        if (i == line.size() || line[i] == sep) {
            parts.push_back(line.substr(start, i - start));
            start = i + 1;
        }
    }
    return parts;
}

std::optional<Told> told_from_name(std::string_view name) {
    for (Told t : {Told::Success, Told::Failure, Told::Unknown}) {
        if (told_name(t) == name) {
            return t;
        }
    }
    return std::nullopt;
}

struct Cell {
    int runs = 0;
    int told[3] = {0, 0, 0};
};

}  // namespace

std::string result_line(const RunResult &r) {
    std::string violations;
    for (Violation v : r.violations) {
        violations += (violations.empty() ? "" : ",") + std::string(violation_name(v));
    }
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%.3f", r.seconds);
    std::string note = r.note;
    std::replace(note.begin(), note.end(), '\t', ' ');
    std::replace(note.begin(), note.end(), '\n', ' ');
    return r.run.operation + "\t" + std::string(fault_kind_name(r.run.kind)) + "\t" +
           std::to_string(r.run.point) + "\t" + std::string(told_name(r.told)) + "\t" + violations +
           "\t" + seconds + "\t" + note;
}

std::optional<RunResult> parse_result_line(std::string_view line) {
    const auto f = split(line, '\t');
    if (f.size() != 7) {
        return std::nullopt;
    }
    RunResult r;
    r.run.operation = std::string(f[0]);
    const auto kind = fault_kind_from_name(f[1]);
    const auto told = told_from_name(f[3]);
    const auto [end, ec] = std::from_chars(f[2].data(), f[2].data() + f[2].size(), r.run.point);
    if (!kind || !told || ec != std::errc() || end != f[2].data() + f[2].size()) {
        return std::nullopt;
    }
    r.run.kind = *kind;
    r.told = *told;
    if (!f[4].empty()) {
        for (auto name : split(f[4], ',')) {
            const auto v = violation_from_name(name);
            if (!v) {
                return std::nullopt;
            }
            r.violations.push_back(*v);
        }
    }
    r.seconds = std::strtod(std::string(f[5]).c_str(), nullptr);
    r.note = std::string(f[6]);
    return r;
}

std::string result_table(const std::vector<RunResult> &results,
                         const std::vector<std::string> &operations) {
    std::vector<std::string> rows = operations;
    std::map<std::string, std::map<FaultKind, Cell>> cells;
    std::map<Violation, int> violations;
    int told[3] = {0, 0, 0};
    for (const auto &r : results) {
        if (std::find(rows.begin(), rows.end(), r.run.operation) == rows.end()) {
            rows.push_back(r.run.operation);
        }
        Cell &c = cells[r.run.operation][r.run.kind];
        ++c.runs;
        ++c.told[static_cast<int>(r.told)];
        ++told[static_cast<int>(r.told)];
        for (Violation v : r.violations) {
            ++violations[v];
        }
    }
    std::string out = "| operation |";
    std::string rule = "|---|";
    for (FaultKind k : kFaultKinds) {
        out += " " + std::string(fault_kind_name(k)) + " |";
        rule += "---|";
    }
    out += "\n" + rule + "\n";
    for (const auto &op : rows) {
        if (cells.count(op) == 0) {
            continue;
        }
        out += "| " + op + " |";
        for (FaultKind k : kFaultKinds) {
            const auto it = cells[op].find(k);
            if (it == cells[op].end()) {
                out += " – |";
                continue;
            }
            const Cell &c = it->second;
            out += " " + std::to_string(c.runs) + ": " + std::to_string(c.told[0]) + "/" +
                   std::to_string(c.told[1]) + "/" + std::to_string(c.told[2]) + " |";
        }
        out += "\n";
    }
    auto count = [&](Violation v) {
        const auto it = violations.find(v);
        return it == violations.end() ? 0 : it->second;
    };
    int others = 0;
    for (const auto &[v, n] : violations) {
        if (v != Violation::FalseSuccess && v != Violation::Hang && v != Violation::LostFile) {
            others += n;
        }
    }
    out += "\nCells: points tried: successes/named failures/\"unknown, check the listing\".\n";
    out += "Runs " + std::to_string(results.size()) + ": " + std::to_string(told[0]) +
           " successes, " + std::to_string(told[1]) + " named failures, " +
           std::to_string(told[2]) + " unknown. False successes " +
           std::to_string(count(Violation::FalseSuccess)) + ", hangs " +
           std::to_string(count(Violation::Hang)) + ", lost or damaged files " +
           std::to_string(count(Violation::LostFile)) + ", other faults " + std::to_string(others);
    for (const auto &[v, n] : violations) {
        if (v != Violation::FalseSuccess && v != Violation::Hang && v != Violation::LostFile) {
            out += ", " + std::string(violation_name(v)) + " " + std::to_string(n);
        }
    }
    out += ".\n";
    return out;
}

}  // namespace zemlo::sweep
