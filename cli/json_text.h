// Text inside a JSON document: quoted and escaped. Names come from the handset, so bytes that are
// not UTF-8 are escaped one by one rather than passed on to break the document, and characters
// that would steer a terminal showing it (C1 controls, bidirectional and line-breaking
// characters, as app/handset_text.h tells them) are written as \u escapes.
#pragma once

#include <string>
#include <string_view>

namespace zemlo::cli {

std::string json_string(std::string_view text);

}  // namespace zemlo::cli
