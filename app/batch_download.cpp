#include "batch_download.h"

#include <algorithm>
#include <filesystem>

#include "batch_plan.h"
#include "handset_text.h"

namespace zemlo::app {

namespace {

// The window side of one file of the batch: its steps are shown with the file's number, the
// wait window stays up between files, its result is kept for the summary instead of ending the
// operation, and with "keep all" its questions are answered without asking.
class BatchFileWindow : public OperationWindow {
  public:
    BatchFileWindow(OperationWindow &window, BatchLedger &ledger, const BatchRequest &request,
                    size_t index)
        : window_(window), ledger_(ledger), request_(request), index_(index) {}

    void show(const Report &report) override {
        if (report.level != ReportLevel::Progress) {
            // Entered as it is shown: a handset event handled on this thread right after it
            // still finds the file's end.
            ledger_.ended(index_, report.text(), report.message.id == MessageId::DownloadSaved);
            return;
        }
        if (report.message.empty()) {
            return;  // the wait window stays up for the next file
        }
        // The file's own name, escaped as the PC list shows it.
        const std::string name = printable_local_text(
            std::filesystem::path(request_.files[index_].source).filename().string());
        Report shown = report;
        shown.message = {MessageId::BatchStep,
                         {std::to_string(index_ + 1), std::to_string(request_.files.size()), name,
                          report.text()}};
        window_.show(shown);
    }
    BoxAnswer ask(const QuestionAsked &question) override {
        if (request_.keep_all) {
            return question.question == Question::KeepFile ? BoxAnswer::Ok : BoxAnswer::Cancel;
        }
        return window_.ask(question);
    }
    bool on_window(const std::function<void()> &fn) override { return window_.on_window(fn); }
    void show_not_connected(bool enable) override { window_.show_not_connected(enable); }
    void show_connection(bool connected) override { window_.show_connection(connected); }
    void expect_listing(ListingPurpose purpose) override { window_.expect_listing(purpose); }
    std::optional<ListingResult> await_checked_listing(
        std::chrono::steady_clock::time_point deadline) override {
        return window_.await_checked_listing(deadline);
    }
    void stop_listing() override { window_.stop_listing(); }
    bool listing_started() override { return window_.listing_started(); }
    void show_summary(const Message &summary) override { window_.show_summary(summary); }
    bool convert(FileType type, const std::string &out, const std::string &source,
                 const ConversionChoice &choice, Message *why) override {
        return window_.convert(type, out, source, choice, why);
    }

  private:
    OperationWindow &window_;
    BatchLedger &ledger_;  // window thread
    const BatchRequest &request_;
    size_t index_;
};

}  // namespace

std::vector<BatchFileResult> download_batch(OperationContext &ctx, const BatchRequest &request,
                                            BatchLedger &ledger, SentFile &file) {
    std::vector<BatchFileResult> out(request.files.size());
    std::string stopped;  // why the files left are not sent
    for (size_t k = 0; k < request.files.size(); ++k) {
        if (stopped.empty() && (ctx.cancelled() || ctx.stop.stopped())) {
            stopped = render(MessageId::BatchCancelled);
        }
        if (!stopped.empty()) {
            out[k].result = render(MessageId::BatchNotSent, {stopped});
            ctx.on_window([&] { ledger.ended(k, out[k].result, false); });
            continue;
        }
        ctx.on_window([&] { ledger.started(k); });
        BatchFileWindow window(ctx.window, ledger, request, k);
        Outcome outcome{Operation::Download};
        OperationContext one{ctx.binding, window, ctx.listing, ctx.stop, ctx.values, outcome};
        out[k].sent = true;
        download_to_handset(one, request.files[k], file);
        ctx.outcome.packet = outcome.packet;
        ctx.outcome.status = outcome.status;
        if (outcome.open_failure) {
            ctx.outcome.open_failure = outcome.open_failure;
        }
        // The window thread entered the result inside the report's on_window, which this thread
        // waited for.
        ctx.on_window([&] { out[k].result = ledger.result(k); });
        out[k].arrived = outcome.succeeded && outcome.result == MessageId::DownloadSaved;
        if (ctx.cancelled() || ctx.stop.stopped()) {
            if (!outcome.succeeded) {
                out[k].result = render(MessageId::BatchUnfinished);
            }
            stopped = render(MessageId::BatchCancelled);
        } else {
            if (out[k].result.empty()) {
                out[k].result = render(MessageId::BatchUnfinished);
            }
            if (!outcome.succeeded && !only_this_file(outcome.result)) {
                stopped = out[k].result;
            }
        }
        ctx.on_window([&] { ledger.ended(k, out[k].result, out[k].arrived); });
    }
    const auto arrived = static_cast<size_t>(
        std::count_if(out.begin(), out.end(), [](const BatchFileResult &r) { return r.arrived; }));
    ctx.outcome.file = request.files.empty() ? std::string() : request.files.front().source;
    ctx.outcome.result = MessageId::BatchSummary;
    ctx.outcome.succeeded = arrived == out.size();
    ctx.hide_wait_window();
    ctx.on_window([&] {
        // Closed already when a handset event stopped the batch and showed its summary.
        if (ledger.open()) {
            ctx.window.show_summary(ledger.close());
        }
    });
    return out;
}

}  // namespace zemlo::app
