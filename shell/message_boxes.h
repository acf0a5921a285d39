// Message boxes of the program. Every box goes through one replaceable function, so that tests
// answer the questions instead of a person.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "message_box_details.h"

class QMessageBox;
class QWidget;

namespace zemlo::shell {

using BoxAnswerer =
    std::function<app::BoxAnswer(const app::MessageBoxDetails &box, QWidget *owner)>;

// A box of the window's own (not the core's): owned by the main window, not kept on top.
app::MessageBoxDetails window_box(std::string text, std::string caption, app::BoxIcon icon);

// The box as run_message_box shows it, not yet shown (the screenshot tour shows it without
// waiting for an answer).
std::unique_ptr<QMessageBox> make_message_box(const app::MessageBoxDetails &box, QWidget *owner);

// A modal QMessageBox with the caption, icon and buttons asked for (ButtonOk, ButtonCancel of the
// message table), kept on top when the box says so.
app::BoxAnswer run_message_box(const app::MessageBoxDetails &box, QWidget *owner);

}  // namespace zemlo::shell
