// Text as the window shows it when it comes as bytes: the core's messages with names put in byte
// for byte, and names from the file system. Neither loses a byte that is not UTF-8: it shows as
// \xNN, the same in the lists, the boxes and the status line.
#pragma once

#include <QString>
#include <string_view>

#include "handset_text.h"

namespace zemlo::shell {

inline QString shown_text(std::string_view text) {
    return QString::fromStdString(app::utf8_with_escaped_bytes(text));
}

// A PC file or folder name: also its controls and backslashes escaped.
inline QString shown_name(std::string_view name) {
    return QString::fromStdString(app::printable_local_text(name));
}

}  // namespace zemlo::shell
