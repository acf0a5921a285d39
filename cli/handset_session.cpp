#include "handset_session.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "cli_args.h"
#include "handset_text.h"
#include "melody_selection.h"
#include "messages.h"
#include "open_facts.h"
#include "picture_conversion.h"
#include "picture_file_conversion.h"
#include "picture_options.h"
#include "port_names.h"
#include "serial_inventory.h"
#include "serial_port_check.h"
#include "stdout_to_stderr.h"
#include "wait_window_model.h"

namespace zemlo::cli {

namespace {

namespace fs = std::filesystem;

// The listing arrives as a block transfer after the connect operation has ended.
constexpr auto kListingTimeout = std::chrono::seconds(30);
// After the deadline, the request under way and the disconnect end the cancelled operation: each
// waits at most 8 timeouts of 2 s, however the handset floods the line. One that is still running
// after this never will.
constexpr auto kStuckGrace = std::chrono::seconds(40);

std::string module_dir() {
    std::error_code ec;
    const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    return ec ? std::string(".") : exe.parent_path().string();
}

}  // namespace

// A worker of a run on several handsets shows its progress line to the runner, which reads it.
HandsetSession::HandsetSession()
    : terminal_(::isatty(STDERR_FILENO) != 0 || std::getenv("ZEMLO_CLI_WORKER") != nullptr) {}

HandsetSession::~HandsetSession() {
    close(kExitOk);
}

int HandsetSession::open(const GlobalOptions &options) {
    // The user's profile gives the port and the mapping; what the options change stays in
    // this run.
    app::SettingsProfile user;
    profile_.set_com_port(user.com_port());
    for (const auto &[port, device] : user.port_devices()) {
        profile_.set_port_device(port, device);
    }
    if (options.port) {
        profile_.set_com_port(*options.port);
    }
    com_port_ = profile_.com_port();
    if (options.device) {
        if (auto refusal = refuse_windows_device(*options.device, profile_.port_devices(),
                                                 process_environment())) {
            print_error(*refusal);
            return kExitUsage;
        }
        profile_.set_port_device(com_port_, *options.device);
    }
    device_ = com_device_path(com_port_, profile_.port_devices(), process_environment());

    core_ = std::make_unique<app::MainCore>(values_, *this, *this, loop_, profile_, nullptr);
    // The deadline covers the whole command, the library's loading and the trace's opening too.
    const uint32_t seconds = options.deadline_seconds;
    deadline_ = std::make_unique<CommandDeadline>(
        std::chrono::seconds(seconds), kStuckGrace,
        [this, seconds] {
            loop_.post([this, seconds] {
                const std::string why =
                    app::render(app::MessageId::DeadlinePassed, {std::to_string(seconds)});
                deadline_passed_ = true;
                print_error(why);
                core_->wait_cancel();
                record_failure(why);
            });
        },
        [stuck = "zemlo-cli: " + app::render(app::MessageId::StoppedCommandStuck) + "\n"] {
            // Not even the cancelled operation ends: the line is held by something that does not
            // let go, and waiting longer helps no one. (The text is made beforehand: this runs on
            // the watchdog's thread.)
            std::fputs(stuck.c_str(), stderr);
            std::_Exit(kExitFailure);
        });
    bool loaded = false;
    bool traced = true;
    loop_.invoke([&] {
        loaded = core_->initialise(module_dir());
        initialised_ = true;
        if (loaded && options.trace) {
            traced = core_->binding().set_trace_file(*options.trace);
        }
    });
    if (!loaded) {
        return kExitFailure;
    }
    interrupt_ = std::make_unique<InterruptWatch>([this] {
        loop_.post([this] {
            print_error(app::render(app::MessageId::Interrupted));
            core_->wait_cancel();
            {
                std::lock_guard<std::mutex> lock(mutex_);
                ++interruptions_;
                interrupted_ = true;
            }
            record_failure(app::render(app::MessageId::Interrupted));
        });
    });
    if (!traced) {
        print_error(app::render(app::MessageId::TraceNotWritable, {*options.trace}));
        return kExitFailure;
    }
    return kExitOk;
}

int HandsetSession::connect() {
    clear_outcome();
    run([](app::MainCore &c) { c.connect_command(); });
    std::unique_lock<std::mutex> lock(mutex_);
    const bool ended = cv_.wait_for(lock, kListingTimeout, [this] {
        return port_error_ || !failures_.empty() ||
               std::any_of(successes_.begin(), successes_.end(), [](const app::Outcome &o) {
                   return o.result == app::MessageId::ConnectDone;
               });
    });
    lock.unlock();
    // The report that ended the wait may still be printing on the window thread.
    loop_.invoke([] {});
    if (!ended) {
        print_error(app::render(app::MessageId::ConnectFailed));
        record_failure(app::render(app::MessageId::ConnectFailed));
        print_probe_hint({app::MessageId::PhoneCommError});
        return kExitFailure;
    }
    return outcome(app::MessageId::ConnectDone);
}

void HandsetSession::run(const std::function<void(app::MainCore &)> &command) {
    loop_.invoke([&] { command(*core_); });
    core_->wait_until_idle();
    loop_.drain();
}

void HandsetSession::read(const std::function<void(const app::MainCore &)> &reader) {
    loop_.invoke([&] { reader(*core_); });
}

int HandsetSession::close(int status) {
    if (!core_) {
        interrupt_.reset();
        return status;
    }
    if (initialised_) {
        set_echo(false);
        // Ctrl-C during the disconnect is taken as during any operation (the disconnect is short
        // and ends the link cleanly), not left to end the program without a word.
        if (values_.connected.load()) {
            run([](app::MainCore &c) { c.disconnect_command(); });
        }
        interrupt_.reset();
        loop_.invoke([&] { core_->teardown(); });
        loop_.drain();
    }
    // What the deadline posted runs while the core is still there.
    deadline_.reset();
    loop_.drain();
    core_.reset();
    // Stopped by the deadline, even in the disconnect after a listing that was printed: the
    // command did not end as it should have.
    return status == kExitOk && deadline_passed_.load() ? kExitFailure : status;
}

void HandsetSession::set_format_timing(const app::FormatTiming &timing) {
    core_->set_format_timing(timing);
}

void HandsetSession::clear_outcome() {
    std::lock_guard<std::mutex> lock(mutex_);
    successes_.clear();
    failures_.clear();
    interruptions_ = 0;
    port_error_ = false;
    failure_result_ = app::MessageId::None;
    finished_text_.clear();
}

void HandsetSession::set_choice(const app::ConversionChoice &choice) {
    std::lock_guard<std::mutex> lock(mutex_);
    choice_ = choice;
}

app::ConversionChoice HandsetSession::conversion_choice(app::FileType, const std::string &) {
    std::lock_guard<std::mutex> lock(mutex_);
    return choice_;
}

app::MessageId HandsetSession::failure_result() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return failure_result_;
}

bool HandsetSession::interrupted() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return interrupted_ || deadline_passed_.load();
}

std::string HandsetSession::finished_text() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return finished_text_;
}

bool HandsetSession::succeeded_with(app::MessageId success) const {
    std::lock_guard<std::mutex> lock(mutex_);
    return std::any_of(successes_.begin(), successes_.end(),
                       [success](const app::Outcome &o) { return o.result == success; });
}

bool HandsetSession::failed() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return !failures_.empty();
}

bool HandsetSession::only_interrupted() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return failures_.size() == interruptions_;
}

std::string HandsetSession::failure_text() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return failures_.empty() ? std::string() : failures_.front();
}

bool HandsetSession::port_error() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return port_error_;
}

bool HandsetSession::carried_out(app::MessageId success) const {
    // A Ctrl-C that came too late to stop the operation leaves what the handset did.
    return succeeded_with(success) && (!failed() || only_interrupted());
}

int HandsetSession::outcome(app::MessageId success) const {
    if (port_error()) {
        return kExitPortError;
    }
    // Ctrl-C that came too late to stop the operation: the handset did what was asked.
    if (succeeded_with(success) && only_interrupted()) {
        return kExitOk;
    }
    if (failed() || !succeeded_with(success)) {
        return kExitFailure;
    }
    return kExitOk;
}

// --- the window ----------------------------------------------------------------------------------

app::BoxAnswer HandsetSession::ask(const app::QuestionAsked &asked) {
    // The confirmations were given on the command line; the download's two questions after the
    // transfer are its flags.
    switch (asked.question) {
        case app::Question::PreviewPicture:
        case app::Question::PreviewMelody:
            return preview_ ? app::BoxAnswer::Ok : app::BoxAnswer::Cancel;
        case app::Question::KeepFile:
            return keep_ ? app::BoxAnswer::Ok : app::BoxAnswer::Cancel;
        case app::Question::ConfirmDownload:
        case app::Question::ConfirmBatch:
        case app::Question::KeepAll:
        case app::Question::ConfirmRename:
        case app::Question::ConfirmDelete:
        case app::Question::ConfirmFormat:
            break;
    }
    return app::BoxAnswer::Ok;
}

void HandsetSession::show_error(const app::ErrorNotice &notice) {
    const bool port = notice.open_failure && notice.open_failure->port_unavailable();
    // For a port that will not open, the explanation below says more than the library's reason.
    print_error(app::render(port ? app::Message{app::MessageId::PortCannotOpen} : notice.message));
    if (port) {
        std::vector<std::string> existing;
        for (const auto &d : list_serial_devices(profile_.port_devices(), process_environment())) {
            // Only serial ports: the mapping may name a folder or /dev/null.
            if (d.exists && is_serial_port(d.path)) {
                existing.push_back(d.path);
            }
        }
        const Diagnosis d = diagnose_open_failure(gather_open_facts(device_, existing));
        std::fprintf(stderr, "  %s\n%s",
                     app::render(app::MessageId::PortIsDevice,
                                 {std::to_string(com_port_), app::printable_local_text(device_)})
                         .c_str(),
                     format_diagnosis(d).c_str());
    } else {
        print_probe_hint(notice.message);
    }
    {
        std::lock_guard<std::mutex> lock(mutex_);
        failures_.push_back(app::render(notice.message));
        port_error_ = port_error_ || port;
    }
    cv_.notify_all();
}

void HandsetSession::operation_report(const app::Report &report) {
    const std::string text = report.text();
    switch (report.level) {
        case app::ReportLevel::Progress:
            print_progress(report);
            return;
        case app::ReportLevel::Finished:
            finish_transfer_line();
            clear_progress_line();
            shown_ = report.message.id;
            {
                std::lock_guard<std::mutex> lock(mutex_);
                finished_text_ = text;
            }
            if (echo_) {
                std::printf("%s\n", text.c_str());
                std::fflush(stdout);
            } else if (terminal_ && !text.empty()) {
                std::fprintf(stderr, "%s\n", text.c_str());
            }
            return;
        case app::ReportLevel::Failed:
            sending_ = false;  // a transfer that failed did not send its last packet
            print_error(text);
            print_probe_hint(report.message);
            record_failure(text);
            return;
        case app::ReportLevel::Notice:
            // Standard output is the command's result; under --json it holds the document alone.
            clear_progress_line();
            shown_ = report.message.id;
            std::fprintf(echo_ ? stdout : stderr, "%s\n", text.c_str());
            std::fflush(echo_ ? stdout : stderr);
            return;
    }
}

void HandsetSession::operation_ended(const app::Outcome &outcome) {
    if (!outcome.succeeded) {
        // Its failure was reported, and its text recorded there; but once Ctrl-C or the deadline
        // has cancelled, reports no longer reach the terminal, and a format stopped while the
        // handset restarted must still say that it may have happened.
        if (values_.cancel.load() && outcome.result == app::MessageId::FormatUnconfirmed) {
            print_error(app::render(outcome.result));
        }
        std::lock_guard<std::mutex> lock(mutex_);
        failure_result_ = outcome.result;
        return;
    }
    // After a Ctrl-C the core shows no more reports; an operation it came too late to stop
    // still says what it did.
    if (outcome.result != shown_ && outcome.result != app::MessageId::None) {
        const std::string text = app::render(
            outcome.result, outcome.file.empty() ? std::vector<std::string>{}
                                                 : std::vector<std::string>{outcome.file});
        if (echo_) {
            std::printf("%s\n", text.c_str());
            std::fflush(stdout);
        }
        std::lock_guard<std::mutex> lock(mutex_);
        finished_text_ = text;
    }
    {
        std::lock_guard<std::mutex> lock(mutex_);
        successes_.push_back(outcome);
    }
    cv_.notify_all();
}

void HandsetSession::record_failure(const std::string &text) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        failures_.push_back(text);
    }
    cv_.notify_all();
}

void HandsetSession::print_probe_hint(const app::Message &failure) {
    // The port opened but no handset answered on it: the cable, the handset's mode, or another
    // port, which the probe finds.
    if (failure.id == app::MessageId::PhoneCommError ||
        failure.id == app::MessageId::SignallingSetupFailed) {
        std::fprintf(stderr, "%s\n", app::render(app::MessageId::ProbeHint).c_str());
    }
}

void HandsetSession::print_error(const std::string &text) {
    clear_progress_line();
    std::fprintf(stderr, "zemlo-cli: %s\n", text.c_str());
}

void HandsetSession::finish_transfer_line() {
    // Each packet's report comes before it goes, so the last the line showed was one short;
    // once the transfer is over, it shows every packet sent, and stays.
    if (!sending_) {
        return;
    }
    sending_ = false;
    transfer_.packets_sent = transfer_.packets_total;
    transfer_.elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - transfer_start_);
    if (terminal_) {
        std::fprintf(stderr, "\r\033[K%s\n", progress_line(transfer_).c_str());
        std::fflush(stderr);
        progress_shown_ = false;
    }
}

void HandsetSession::print_progress(const app::Report &report) {
    const app::Progress &p = report.progress;
    if (p.stage != app::Stage::Sending) {
        finish_transfer_line();
    }
    if (p.stage == app::Stage::Announcing) {
        transfer_.packets_total = p.packets;
        transfer_.packets_sent = 0;
        transfer_.bytes_total = p.total_bytes;
        transfer_start_ = std::chrono::steady_clock::now();
    }
    if (!terminal_) {
        return;
    }
    std::string line = report.text();
    if (p.stage == app::Stage::Sending && p.packet > 0) {
        sending_ = true;
        transfer_.packets_sent = p.packet - 1;
        transfer_.bytes_total = p.total_bytes;
        transfer_.elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
            std::chrono::steady_clock::now() - transfer_start_);
        line = progress_line(transfer_);
    }
    // Rewrite one line in place: the terminal shows where the operation is, not its history.
    std::fprintf(stderr, "\r\033[K%s", line.c_str());
    std::fflush(stderr);
    progress_shown_ = !line.empty();
}

void HandsetSession::clear_progress_line() {
    if (progress_shown_) {
        std::fprintf(stderr, "\r\033[K");
        std::fflush(stderr);
        progress_shown_ = false;
    }
}

// --- the side panels -----------------------------------------------------------------------------

bool HandsetSession::convert_picture(const std::string &out_path, const std::string &source,
                                     const media::PictureChoice &choice) {
    // The converter library writes its diagnostics on standard output, which belongs to the
    // command's result here: held back, and shown on standard error when the conversion fails
    // or --verbose asks.
    media::FileConversion c;
    {
        StdoutToStderr diverted(verbose_);
        c = media::convert_picture_file(source, out_path, choice);
        if (!c.ok) {
            diverted.pass_on();
        }
    }
    if (!c.ok) {
        print_error(c.framing != media::FramingError::None ? framing_refusal(c.framing, c.upright)
                                                           : c.error);
    }
    return c.ok;
}

bool HandsetSession::convert_melody(const std::string &out_path, const std::string &source,
                                    bool fit) {
    media::MelodySelection selection;
    media::MelodyOptions options;
    options.fit_limit = fit ? records::kMaxMelodyBytes : 0;
    if (selection.ConvertSelection(out_path, source, options) == 0) {
        const std::string why = selection.last_conversion().error;
        if (!why.empty()) {
            print_error(why);
        }
        return false;
    }
    return true;
}

}  // namespace zemlo::cli
