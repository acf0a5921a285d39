// The handset's file-name rule for download and rename names: at most 8 characters, each an ASCII
// letter or digit. The empty name passes; callers refuse it on their own.
#pragma once

#include <string>

#include "messages.h"

namespace zemlo::app {

inline constexpr size_t kMaxFileNameChars = 8;

struct NameCheck {
    bool valid = true;
    std::string corrected;                // the name to put back into the edit box when invalid
    MessageId problem = MessageId::None;  // why it is invalid
    std::string message;  // the problem's text and the rule on a second line, when invalid
};

// Names are UTF-8 and counted in characters, not bytes, so that a cut or a removal never leaves
// half a character behind. Too long: cut to the first 8 characters (NameTooLong). Otherwise the
// first character that is not a letter or digit is removed everywhere (NameBadChars); a further
// offending character is reported by the next check, as the edit box runs it again on every change.
NameCheck check_file_name(const std::string &name);

}  // namespace zemlo::app
