#include "command_suggestion.h"

#include <algorithm>
#include <limits>

namespace zemlo::cli {

namespace {

// Letters inserted, removed, changed or two neighbours swapped, to make one text the other.
size_t edits_between(std::string_view a, std::string_view b) {
    std::vector<std::vector<size_t>> d(a.size() + 1, std::vector<size_t>(b.size() + 1));
    for (size_t i = 0; i <= a.size(); ++i) {
        d[i][0] = i;
    }
    for (size_t j = 0; j <= b.size(); ++j) {
        d[0][j] = j;
    }
    for (size_t i = 1; i <= a.size(); ++i) {
        for (size_t j = 1; j <= b.size(); ++j) {
            const size_t change = a[i - 1] == b[j - 1] ? 0 : 1;
            d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + change});
            if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1]) {
                d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
            }
        }
    }
    return d[a.size()][b.size()];
}

}  // namespace

std::vector<std::string> suggested_commands(const std::vector<std::string> &typed,
                                            const std::vector<std::string> &commands) {
    // A typed word longer than any name is no typing slip worth a guess (and bounds the work).
    constexpr size_t kLongestWord = 40;
    if (typed.empty() || typed[0].empty() || typed[0].size() > kLongestWord) {
        return {};
    }
    std::vector<std::string> started;
    std::vector<std::string> nearest;
    size_t best = std::numeric_limits<size_t>::max();
    for (const std::string &name : commands) {
        const bool two_words = name.find(' ') != std::string::npos;
        std::string text = typed[0];
        if (two_words && typed.size() > 1 && typed[1].size() <= kLongestWord &&
            name.compare(0, typed[0].size() + 1, typed[0] + " ") == 0) {
            text += " " + typed[1];
        }
        // Two letters typed at least: "--n" could be anything that starts with it.
        const size_t dashes = std::min(text.find_first_not_of('-'), text.size());
        if (name.size() > text.size() && name.compare(0, text.size(), text) == 0 &&
            text.size() - dashes >= 2) {
            started.push_back(name);
            continue;
        }
        // Two-word names are weighed by the word typed for each.
        const size_t edits = edits_between(text, two_words && text.find(' ') == std::string::npos
                                                     ? name.substr(0, name.find(' '))
                                                     : name);
        // A slip of one letter in a short word, two in a longer one.
        if (edits == 0 || edits > (text.size() - dashes <= 4 ? 1u : 2u)) {
            continue;
        }
        if (edits < best) {
            best = edits;
            nearest.clear();
        }
        if (edits == best) {
            nearest.push_back(name);
        }
    }
    return started.empty() ? nearest : started;
}

std::string choices_text(const std::vector<std::string> &names) {
    std::string text;
    for (const auto &name : names) {
        text += (text.empty() ? "" : " / ") + name;
    }
    return text;
}

}  // namespace zemlo::cli
