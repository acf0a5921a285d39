#include "wait_window_model.h"

namespace zemlo::app {

WaitWindowModel::Box WaitWindowModel::report(const std::string &text, int32_t level, uint16_t range,
                                             bool cancel_flag) {
    if (cancel_flag) {
        return Box::None;
    }
    step_total_ = range;
    Box box = Box::None;
    switch (static_cast<ReportLevel>(level)) {
        case ReportLevel::Progress:
            if (text.empty()) {
                stop();
                view_.visible = false;
            } else {
                start();
                view_.visible = true;
            }
            break;
        case ReportLevel::Finished:
            stop();
            view_.visible = false;
            break;
        case ReportLevel::Failed:
            box = Box::Error;
            view_.visible = false;
            stop();
            break;
        case ReportLevel::Notice:
            box = Box::Information;
            stop();
            view_.visible = false;
            break;
        default:
            break;
    }
    view_.text = text;
    return box;
}

void WaitWindowModel::cancel() {
    view_.visible = false;
    stop();
}

void WaitWindowModel::start() {
    // The first report that carries a range sets the bar; every later progress report steps it.
    if (!started_ && step_total_ != 0) {
        view_.progress_max = step_total_;
        view_.progress = 0;
        started_ = true;
    }
    view_.animating = true;
    if (started_ && view_.progress < view_.progress_max) {
        ++view_.progress;
    }
}

void WaitWindowModel::stop() {
    started_ = false;
    step_total_ = 0;
    view_.animating = false;
    view_.progress = 0;
}

}  // namespace zemlo::app
