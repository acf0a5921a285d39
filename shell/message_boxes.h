// Message boxes of the program. Every box goes through one replaceable function, so that tests
// answer the questions instead of a person.
#pragma once

#include <functional>

#include "message_box_details.h"

class QWidget;

namespace zemlo::shell {

using BoxAnswerer =
    std::function<app::BoxAnswer(const app::MessageBoxDetails &box, QWidget *owner)>;

// A modal QMessageBox with the caption, icon and buttons asked for (ButtonOk, ButtonCancel of the
// message table), kept on top when the box says so.
app::BoxAnswer run_message_box(const app::MessageBoxDetails &box, QWidget *owner);

}  // namespace zemlo::shell
