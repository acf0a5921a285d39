// The boxes the window shows for the core's questions and errors: the core says what is asked or
// went wrong, the window chooses the box (icon, buttons, the window that owns it).
#pragma once

#include "error_notice.h"
#include "message_box_details.h"
#include "question.h"

namespace zemlo::shell {

app::MessageBoxDetails question_box(const app::QuestionAsked &asked);
app::MessageBoxDetails error_box(const app::ErrorNotice &notice);

}  // namespace zemlo::shell
