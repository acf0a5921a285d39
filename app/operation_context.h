// What an operation running on the worker works with: the device binding, the window side that
// shows its steps, asks its questions and takes its changes on the window thread, the handset
// listing it updates there, the stop token, and the outcome it fills in. Each operation is one
// function over this context, in a file of its own; MainCore owns the window's state and hands an
// operation only what it reads, as a request.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "block_receiver.h"
#include "conversion_choice.h"
#include "device_binding.h"
#include "handset_entry.h"
#include "handset_listing.h"
#include "listing_purpose.h"
#include "operation_report.h"
#include "program_values.h"
#include "question.h"
#include "stop_token.h"
#include "zemlo/handset_records.h"

namespace zemlo::app {

// The window side of a running operation (MainCore). show, ask and on_window are called from the
// worker; the rest runs on the window thread, inside on_window.
class OperationWindow {
  public:
    virtual ~OperationWindow() = default;
    // Shows a report (wait window, status line) and returns once it was shown; window thread.
    virtual void show(const Report &report) = 0;
    virtual BoxAnswer ask(const QuestionAsked &question) = 0;
    // Runs fn on the window thread and waits for it; false (fn maybe not run) once stopped.
    virtual bool on_window(const std::function<void()> &fn) = 0;

    // The window as when not connected: every command held while the handset works (enable
    // false), or connect offered again.
    virtual void show_not_connected(bool enable) = 0;
    // The handset's connection changed under the operation (a format's restart, the check after
    // it): the connection text, the flag and the space follow, the commands stay held.
    virtual void show_connection(bool connected) = 0;
    // A listing is asked for; the receiver is armed before the request goes out.
    virtual void expect_listing(ListingPurpose purpose) = 0;
    // Waits, until the deadline, for the listing a format's check asked for; nothing when it did
    // not come whole in time, or the user cancelled, or the operation was stopped.
    virtual std::optional<ListingResult> await_checked_listing(
        std::chrono::steady_clock::time_point deadline) = 0;
    // The listing's request could not be sent, or the handset's files are no longer wanted.
    virtual void stop_listing() = 0;
    // Waits (worker thread) for the handset to begin the listing asked for, at most the
    // library's timeout; false when it did not.
    virtual bool listing_started() = 0;
    // What became of several files downloaded in one go, shown once they are done; window thread.
    virtual void show_summary(const Message &summary) = 0;
    // Converts source into the handset's format at out as chosen; false when it could not, with
    // *why set when the converter gave a reason the user can act on.
    virtual bool convert(FileType type, const std::string &out, const std::string &source,
                         const ConversionChoice &choice, Message *why) = 0;
};

struct OperationContext {
    DeviceBinding &binding;
    OperationWindow &window;
    HandsetListing &listing;  // window thread only
    StopToken &stop;
    ProgramValues &values;
    Outcome &outcome;

    bool on_window(const std::function<void()> &fn) { return window.on_window(fn); }
    // A report that is not progress ends the operation: its message becomes the result.
    void report(const Message &message, ReportLevel level, uint16_t range = 0,
                const Progress &progress = {});
    void end_with(const Message &message, ReportLevel level, bool succeeded);
    void hide_wait_window() { report({}, ReportLevel::Progress); }
    bool cancelled() const { return values.cancel.load(); }
    // Waits for ms, ending early on the user's cancel or a stop; true when neither came.
    bool wait(std::chrono::milliseconds ms);

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
