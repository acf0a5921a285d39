// What an operation running on the worker works with: the device binding, the reporter that shows
// its steps and asks its questions on the window thread, the stop token, and the outcome it fills
// in. Each operation is one function over this context, in a file of its own; MainCore owns the
// window's state and hands an operation only what it reads, taking back what it changed.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "device_binding.h"
#include "message_box_details.h"
#include "operation_report.h"
#include "program_values.h"
#include "question.h"
#include "stop_token.h"
#include "zemlo/handset_records.h"

namespace zemlo::app {

// The window side of a running operation (MainCore on the window thread).
class Reporter {
  public:
    virtual ~Reporter() = default;
    // Shows a report (wait window, status line) and returns once it was shown.
    virtual void show(const Report &report) = 0;
    virtual BoxAnswer ask(const QuestionAsked &question) = 0;
    // Runs fn on the window thread and waits for it; false (fn maybe not run) once stopped.
    virtual bool on_window(const std::function<void()> &fn) = 0;
    // Reads the handset's listing again, so the table shows what the handset has (worker).
    virtual void relist() = 0;
};

struct OperationContext {
    DeviceBinding &binding;
    Reporter &reporter;
    StopToken &stop;
    ProgramValues &values;
    Outcome &outcome;

    // A report that is not progress ends the operation: its message becomes the result.
    void report(const Message &message, ReportLevel level, uint16_t range = 0,
                const Progress &progress = {});
    void end_with(const Message &message, ReportLevel level, bool succeeded);
    void hide_wait_window() { report({}, ReportLevel::Progress); }
    bool cancelled() const { return values.cancel.load(); }

    // Sends a remote command; false when the link could not be used. *status receives the
    // library's result. changes_store: the command changes the handset's files (rename, delete,
    // format, keep), so its fate matters until the operation has told how it ended.
    bool send_command(const std::vector<uint8_t> &body, std::vector<uint8_t> &reply,
                      int32_t *status = nullptr, bool changes_store = false);
    // Reports the step, then sends a command that names a file and changes the store; the
    // handset's result, or nothing when the operation ends here (cancelled, the link could not
    // be opened, or the result is unknown: see below).
    std::optional<uint16_t> send_file_command(MessageId progress,
                                              const records::RemoteCommand &command);
    // After a command that changes the store went unconfirmed: when it may still have reached
    // the handset, tells the user the result is unknown (check the listing), reads the listing
    // again, and returns true.
    bool ended_unknown(int32_t status);
    // Sends the handshake up to three times; only the last failed open shows its error.
    bool handshake_with_attempts(uint16_t purpose, std::vector<uint8_t> &reply);
};

}  // namespace zemlo::app
