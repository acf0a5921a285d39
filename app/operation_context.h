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
    // library's result.
    bool send_command(const std::vector<uint8_t> &body, std::vector<uint8_t> &reply,
                      int32_t *status = nullptr);
    // Reports the step, then sends a command that names a file; the handset's result, or nothing
    // when the operation ends here (cancelled, or the link could not be opened).
    std::optional<uint16_t> send_file_command(MessageId progress,
                                              const records::RemoteCommand &command);
    // Sends the handshake up to three times; only the last failed open shows its error.
    bool handshake_with_attempts(uint16_t purpose, std::vector<uint8_t> &reply);
};

}  // namespace zemlo::app
