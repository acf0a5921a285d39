// The core's operations as its worker runs them: what each reads of the window's state when it
// starts, the context it works in, the window side it reports to, and how it ends (the abort
// notice after a cancel, the outcome, the buttons given back). MainCore starts them and keeps the
// window's state; the worker (OperationWorker) keeps the thread.
#pragma once

#include <chrono>
#include <functional>
#include <mutex>
#include <optional>

#include "batch_download.h"
#include "connection_view.h"
#include "device_binding.h"
#include "dispatcher.h"
#include "format_operation.h"
#include "front_end.h"
#include "handset_inbox.h"
#include "handset_listing.h"
#include "media_port.h"
#include "operation.h"
#include "operation_context.h"
#include "operation_worker.h"
#include "pc_choice.h"
#include "program_values.h"
#include "rename_edit.h"
#include "sent_file.h"
#include "window_port.h"

namespace zemlo::app {

// What the operations read and change, all of it MainCore's.
struct CoreParts {
    ProgramValues &values;
    DeviceBinding &binding;
    Dispatcher &dispatcher;
    FrontEnd &front;
    WindowPort &window;
    MediaPort &media;
    HandsetListing &listing;
    HandsetInbox &inbox;
    PcChoice &pc;
    RenameEdit &rename;
    ConnectionView &connection;
    BatchRequest &batch;        // the files of a download of several, set before it starts
    BatchLedger &batch_ledger;  // what became of each of them; window thread
};

class OperationRunner : private OperationWindow {
  public:
    explicit OperationRunner(const CoreParts &parts);
    ~OperationRunner() override { stop_and_join(); }
    OperationRunner(const OperationRunner &) = delete;
    OperationRunner &operator=(const OperationRunner &) = delete;

    // Window thread: starts op unless one runs (see OperationWorker::start).
    bool start(Operation op) { return worker_.start(op); }
    bool busy() const { return worker_.busy(); }
    Operation pending() const { return worker_.pending(); }
    void set_pending(Operation op) { worker_.set_pending(op); }
    void wait_until_idle() { worker_.wait_until_idle(); }

    // A handset event: the running operation is stopped at once, the file it sends closed first,
    // and it no longer counts as running.
    void interrupt() {
        worker_.interrupt([this] {
            sent_file_.close();
            parts_.inbox.release_listing_wait();  // a worker waiting for a listing stops waiting
        });
    }
    void end_busy() { worker_.end_busy(); }
    // After a handset event stopped a download of several (why, as the user reads it; unknown:
    // the handset may have kept the file under way): the summary of what arrived, which the
    // stopped worker no longer shows. Window thread.
    void show_stopped_batch(const std::string &why, bool unknown) {
        if (parts_.batch_ledger.open()) {
            parts_.batch_ledger.stop(why, unknown);
            show_summary(parts_.batch_ledger.close());
        }
    }
    // Teardown, on the window thread: what runs is stopped, the handset told goodbye without
    // notices, and the thread waited for.
    void tear_down();
    void stop_and_join() { worker_.stop_and_join(); }

    // A report outside an operation (a handset event, a lost line, the listing), shown as the
    // operations' are; window thread.
    void show_report(const Report &report) { show(report); }
    // An error of the link's set-up, shown on the window thread; during an operation its outcome
    // keeps why the port did not open.
    void link_error(const ErrorNotice &notice);
    // The calling thread's stop token (the device binding checks it).
    StopToken *token_of_caller() { return worker_.token_of_caller(); }
    void set_format_timing(const FormatTiming &timing) { format_timing_ = timing; }
    // The listing a format's check asked for arrived (nothing: its transfer was refused); window
    // thread. The operation waiting for it goes on.
    void take_checked_listing(std::optional<ListingResult> listing);
    // Wakes the running operation's waits, so that they see the user's cancel.
    void wake() { worker_.token().wake(); }

  private:
    // --- OperationWindow ---
    void show(const Report &report) override;
    BoxAnswer ask(const QuestionAsked &question) override;
    bool on_window(const std::function<void()> &fn) override { return worker_.on_window(fn); }
    void show_not_connected(bool enable) override { parts_.connection.update(false, enable); }
    void show_connection(bool connected) override {
        parts_.connection.change_while_held(connected);
    }
    void expect_listing(ListingPurpose purpose) override;
    std::optional<ListingResult> await_checked_listing(
        std::chrono::steady_clock::time_point deadline) override;
    void stop_listing() override { parts_.inbox.stop_listing(); }
    bool listing_started() override;
    void show_summary(const Message &summary) override {
        const std::string text = render(summary);
        parts_.window.set_status_line(text.substr(0, text.find('\n')));
        parts_.front.show_summary(text);
    }
    bool convert(FileType type, const std::string &out, const std::string &source,
                 const ConversionChoice &choice, Message *why) override;

    // The worker's side.
    void run(Operation op);
    void run_disconnect(bool notify);
    bool release_window();

    CoreParts parts_;
    OperationWorker worker_;
    // How the running operation ends (worker thread while it runs).
    Outcome outcome_;
    bool listing_follows_ = false;  // the connect's outcome comes with its listing
    FormatTiming format_timing_;
    // The listing of a format's check: armed on the window thread, taken there when it arrives,
    // read by the worker.
    std::mutex checked_mutex_;
    bool checked_arrived_ = false;
    std::optional<ListingResult> checked_;
    OperationContext context_{parts_.binding,  *this,         parts_.listing,
                              worker_.token(), parts_.values, outcome_};
    // The converted file while it is sent; closed by whoever stops first.
    SentFile sent_file_;
};

}  // namespace zemlo::app
