// A message box as the window shows it: text, caption, icon, buttons, the window that owns it.
#pragma once

#include <string>

namespace zemlo::app {

enum class BoxIcon { Error, Information, Question, Warning };
enum class BoxButtons { Ok, OkCancel };
enum class BoxOwner { None, MainWindow, WaitWindow };
enum class BoxAnswer { Ok, Cancel };

struct MessageBoxDetails {
    std::string text;
    std::string caption;
    BoxIcon icon = BoxIcon::Error;
    BoxButtons buttons = BoxButtons::Ok;
    BoxOwner owner = BoxOwner::None;
    bool topmost = true;

    bool operator==(const MessageBoxDetails &) const = default;
};

}  // namespace zemlo::app
