// Where the user guide the program opens is: beside the program in a build tree, in the data
// folder (../share/zemlo) when installed.
#pragma once

#include <string>

namespace zemlo::app {

inline constexpr const char *kHelpFile = "dwnHelp.html";

// The guide's path for a program in module_dir: the one beside it unless only the installed one
// exists.
std::string help_page_path(const std::string &module_dir);

}  // namespace zemlo::app
