// Text inside a JSON document: quoted and escaped. Names come from the handset, so bytes that are
// not UTF-8 are escaped one by one rather than passed on to break the document, and characters
// that would steer a terminal showing it (C1 controls, bidirectional and line-breaking
// characters, as app/handset_text.h tells them) are written as \u escapes.
#pragma once

#include <string>
#include <string_view>

namespace zemlo::cli {

std::string json_string(std::string_view text);

// What a command run with --json prints on standard output when it fails, one line:
// {"error":{"kind":"failed"|"usage"|"port","exit_status":N,"message":"..."}}. The kind follows
// the exit status (1, 2, 3), which the command keeps.
std::string json_failure(int exit_status, std::string_view message);

}  // namespace zemlo::cli
