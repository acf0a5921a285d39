// The command or option a mistyped one most likely meant: "lst" is list, "dwonload" is download,
// "convert" or "convert pic" is one of the two conversions, "--jsno" is --json.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace zemlo::cli {

// The names among `commands` closest to what was typed (the first word, or the first two for a
// two-word name): one whose start was typed (two letters at least, not counting an option's
// dashes), or one a letter or two away (a letter missing, added, changed or two swapped). Empty
// when none is that close.
std::vector<std::string> suggested_commands(const std::vector<std::string> &typed,
                                            const std::vector<std::string> &commands);

// The names as one text for "did you mean ...": "list", or "convert picture / convert melody".
std::string choices_text(const std::vector<std::string> &names);

}  // namespace zemlo::cli
