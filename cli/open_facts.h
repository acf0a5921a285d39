// Gathers what the port diagnosis needs about a device that would not open: it tries the open and
// the lock again to learn the error, and looks up the device's group, the user's groups and the
// programs that hold the device open.
#pragma once

#include <string>
#include <vector>

#include "port_diagnosis.h"

namespace zemlo::cli {

OpenFacts gather_open_facts(const std::string &device, const std::vector<std::string> &existing);

}  // namespace zemlo::cli
