// The captions of the boxes the window shows on its own account. In Chinese every one of them
// says "确认", as the window always has; in English a caption says what the box is about: an
// error box "Error", a box after an operation what happened ("Formatted"), since a window
// manager shortens a long caption on a small box and "Confirm" over an error is not true.
#pragma once

#include <string>

#include "messages.h"

namespace zemlo::shell {

std::string error_box_caption();
// The box that ends an operation with the message id (an information box).
std::string notice_box_caption(app::MessageId id);

}  // namespace zemlo::shell
