// What the wait window shows, as a function of the status reports it receives: visibility, text,
// progress bar and animation. The desktop window and the tests both drive this model.
#pragma once

#include <cstdint>
#include <string>

#include "operation_report.h"

namespace zemlo::app {

struct WaitWindowView {
    bool visible = false;
    bool animating = false;
    std::string text;
    int32_t progress_max = 0;  // range 0..progress_max; 0 while no range was given
    int32_t progress = 0;

    bool operator==(const WaitWindowView &) const = default;
};

class WaitWindowModel {
  public:
    enum class Box { None, Error, Information };

    // Applies one report and tells which message box (caption CaptionConfirm, topmost) the window
    // must show with the text before it hides. Reports are ignored while the cancel flag is set.
    Box report(const std::string &text, int32_t level, uint16_t range, bool cancel_flag);

    // The Cancel button: hide and stop; the caller sets the program-wide cancel flag.
    void cancel();

    const WaitWindowView &view() const { return view_; }

  private:
    void start();
    void stop();

    WaitWindowView view_;
    bool started_ = false;
    uint16_t step_total_ = 0;
};

}  // namespace zemlo::app
