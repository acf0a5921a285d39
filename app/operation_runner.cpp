#include "operation_runner.h"

#include "connect_operation.h"
#include "core_time.h"
#include "delete_operation.h"
#include "disconnect_operation.h"
#include "download_operation.h"
#include "format_operation.h"
#include "rename_operation.h"

namespace zemlo::app {

OperationRunner::OperationRunner(const CoreParts &parts)
    : parts_(parts),
      worker_(
          parts.dispatcher, [this](Operation op) { run(op); },
          [this] { return release_window(); }) {}

void OperationRunner::tear_down() {
    interrupt();
    run_disconnect(false);
    worker_.stop_and_join();
}

void OperationRunner::link_error(const ErrorNotice &notice) {
    if (notice.open_failure && !parts_.dispatcher.on_window_thread()) {
        outcome_.open_failure = notice.open_failure;
    }
    on_window([&] { parts_.front.show_error(notice); });
}

void OperationRunner::run(Operation op) {
    outcome_ = Outcome{op};
    listing_follows_ = false;
    parts_.values.cancel.store(false);
    parts_.values.change_in_flight.store(false);
    on_window([&] { show_not_connected(false); });
    switch (op) {
        case Operation::Connect:
            listing_follows_ = connect_handset(context_);
            break;
        case Operation::Download: {
            DownloadRequest request;
            on_window([&] {
                request = {parts_.pc.type(), parts_.pc.file(), parts_.pc.name(),
                           parts_.media.conversion_choice(parts_.pc.type(), parts_.pc.file())};
            });
            download_to_handset(context_, request, sent_file_);
            break;
        }
        case Operation::DownloadBatch: {
            BatchRequest request;
            on_window([&] { request = parts_.batch; });
            download_batch(context_, request, parts_.batch_ledger, sent_file_);
            break;
        }
        case Operation::Rename: {
            RenameRequest request;
            on_window([&] {
                request = {parts_.listing.shown_folder(), parts_.rename.old_name,
                           parts_.rename.new_name, parts_.listing.selected_row()};
            });
            rename_on_handset(context_, request);
            break;
        }
        case Operation::Delete: {
            DeleteRequest request;
            on_window([&] {
                request = {parts_.listing.shown_folder(), parts_.listing.selected_name()};
            });
            delete_on_handset(context_, request);
            break;
        }
        case Operation::Disconnect:
            run_disconnect(true);
            break;
        case Operation::Format:
            format_handset(context_, {parts_.values.connected.load(), format_timing_});
            break;
        case Operation::None:
            break;
    }
    if (parts_.values.cancel.load() && !worker_.token().stopped()) {
        // The tidy-up after a Cancel is not the operation: how the operation ended (done, when
        // the Cancel came too late to stop it) stays its outcome.
        const Outcome ended = outcome_;
        if (parts_.values.connected.load()) {
            send_abort_notice(context_);
        } else {
            on_window([this] { stop_listing(); });
            run_disconnect(true);
        }
        outcome_ = ended;
    }
    // A connect ends with its listing, on the window thread.
    if (!listing_follows_ || parts_.values.cancel.load()) {
        on_window([this] { parts_.front.operation_ended(outcome_); });
    }
}

void OperationRunner::run_disconnect(bool notify) {
    // At teardown the window thread disconnects: that belongs to no operation's outcome.
    Outcome teardown_outcome;
    OperationContext teardown{parts_.binding,  *this,         parts_.listing,
                              worker_.token(), parts_.values, teardown_outcome};
    disconnect_handset(parts_.dispatcher.on_window_thread() ? teardown : context_, notify);
}

bool OperationRunner::listing_started() {
    return parts_.inbox.wait_listing_start(core_time(std::chrono::milliseconds(kDefaultTimeoutMs)));
}

bool OperationRunner::release_window() {
    // The buttons are given back before the operation counts as finished.
    const bool connected = parts_.values.connected.load();
    return on_window([&] { parts_.connection.update(connected, true); });
}

void OperationRunner::show(const Report &report) {
    if (report.level != ReportLevel::Progress) {
        parts_.window.set_status_line(render_headline(report.message));
    }
    // The wait window ignores reports once the user or the handset has cancelled.
    if (!parts_.values.cancel.load()) {
        parts_.front.operation_report(report);
    }
}

void OperationRunner::expect_listing(ListingPurpose purpose) {
    if (purpose == ListingPurpose::FormatCheck) {
        std::lock_guard<std::mutex> lock(checked_mutex_);
        checked_arrived_ = false;
        checked_.reset();
    }
    parts_.inbox.expect_listing(purpose);
}

void OperationRunner::take_checked_listing(std::optional<ListingResult> listing) {
    {
        std::lock_guard<std::mutex> lock(checked_mutex_);
        checked_arrived_ = true;
        checked_ = std::move(listing);
    }
    wake();
}

std::optional<ListingResult> OperationRunner::await_checked_listing(
    std::chrono::steady_clock::time_point deadline) {
    const auto arrived = [this] {
        std::lock_guard<std::mutex> lock(checked_mutex_);
        return checked_arrived_;
    };
    worker_.token().wait_until(deadline, [&] { return parts_.values.cancel.load() || arrived(); });
    std::lock_guard<std::mutex> lock(checked_mutex_);
    if (!checked_arrived_ || worker_.token().stopped()) {
        return std::nullopt;
    }
    return checked_;
}

BoxAnswer OperationRunner::ask(const QuestionAsked &question) {
    BoxAnswer answer = BoxAnswer::Cancel;
    on_window([&] { answer = parts_.front.ask(question); });
    return answer;
}

bool OperationRunner::convert(FileType type, const std::string &out, const std::string &source,
                              const ConversionChoice &choice, Message *why) {
    const bool converted = type == FileType::Picture
                               ? parts_.media.convert_picture(out, source, choice.picture)
                               : parts_.media.convert_melody(out, source, choice.fit_melody);
    if (!converted && why != nullptr) {
        *why = parts_.media.conversion_refusal();
    }
    return converted;
}

}  // namespace zemlo::app
