// What the core asks of every front end, the desktop window and the command line alike: the
// questions, the errors, the reports of a running operation and how each operation ended. The core
// calls it on the window thread only (the operation worker goes through the dispatcher), so an
// implementation needs no locking of its own.
#pragma once

#include "error_notice.h"
#include "operation_report.h"
#include "question.h"

namespace zemlo::app {

class FrontEnd {
  public:
    virtual ~FrontEnd() = default;

    // A question to the user; returns the answer. The window shows it as a box, the command line
    // answers from its flags.
    virtual BoxAnswer ask(const QuestionAsked &asked) = 0;
    // An error outside an operation's reports; returns once the user has seen it.
    virtual void show_error(const ErrorNotice &notice) = 0;

    // A status report of the running operation. It is shown before the call returns, so a report
    // that opens a box returns once it is closed.
    virtual void operation_report(const Report &report) = 0;
    // What became of each of several files downloaded in one go; returns once the user has seen
    // it.
    virtual void show_summary(const std::string &text) = 0;
    // How an operation ended, once it has (a connect once its listing has arrived).
    virtual void operation_ended(const Outcome &outcome) = 0;
};

}  // namespace zemlo::app
