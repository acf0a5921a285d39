// One run of a handset command without a window: the core of the desktop program, with this
// session as its front end. Reports go to the terminal, the window's questions are answered from
// the command's flags, and what happened is kept so that the command can give its exit status.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "command_deadline.h"
#include "event_loop_thread.h"
#include "front_end.h"
#include "global_options.h"
#include "interrupt_watch.h"
#include "main_core.h"
#include "media_port.h"
#include "picture_geometry.h"
#include "profile.h"
#include "transfer_progress.h"

namespace zemlo::cli {

inline constexpr int kExitPortError = 3;  // the port cannot be opened

class HandsetSession : public app::FrontEnd, public app::MediaPort {
  public:
    HandsetSession();
    ~HandsetSession() override;
    HandsetSession(const HandsetSession &) = delete;
    HandsetSession &operator=(const HandsetSession &) = delete;

    // Port from the options, else the user's profile; loads the link library and sets the trace.
    // An exit status other than kExitOk means the session cannot be used.
    int open(const GlobalOptions &options);
    // Connects and waits for the listing. kExitOk once connected.
    int connect();
    // Runs a command on the window thread and waits for the operation it starts to end.
    void run(const std::function<void(app::MainCore &)> &command);
    // Reads the core's state on the window thread.
    void read(const std::function<void(const app::MainCore &)> &reader);
    // Disconnects when connected and unloads the library; returns status unchanged.
    int close(int status);

    // The answers to the download's questions.
    void set_download_answers(bool preview, bool keep) {
        preview_ = preview;
        keep_ = keep;
    }
    // How the files of the downloads to come are converted.
    void set_choice(const app::ConversionChoice &choice);
    // Show the picture converter's own lines also when the conversion succeeds.
    void set_verbose(bool verbose) { verbose_ = verbose; }
    // Texts of finished operations go to standard output while on, else to standard error.
    void set_echo(bool on) { echo_ = on; }
    // The format's waits for the handset's restart and return (tests may shorten them).
    void set_format_timing(const app::FormatTiming &timing);

    // What happened since the last clear.
    void clear_outcome();
    bool failed() const;
    // The first failure's text (the message printed after "zemlo-cli: "), or empty.
    std::string failure_text() const;
    bool port_error() const;
    // True once an operation ended with success as its result.
    bool succeeded_with(app::MessageId success) const;
    // The operation ended with success, and nothing failed but a Ctrl-C that came too late.
    bool carried_out(app::MessageId success) const;
    // The result of the last operation that failed (None when none did), and whether the user
    // interrupted the command or its deadline passed (nothing more is to be started).
    app::MessageId failure_result() const;
    bool interrupted() const;
    // The last finished operation's text (empty when none).
    std::string finished_text() const;
    // kExitPortError, kExitFailure or, when an operation ended with success, kExitOk.
    int outcome(app::MessageId success) const;

    const std::string &device() const { return device_; }
    uint32_t com_port() const { return com_port_; }

    // --- FrontEnd ---
    app::BoxAnswer ask(const app::QuestionAsked &asked) override;
    void show_error(const app::ErrorNotice &notice) override;
    void operation_report(const app::Report &report) override;
    void operation_ended(const app::Outcome &outcome) override;
    // The command line downloads several files one by one and prints its own line for each.
    void show_summary(const std::string &) override {}

    // --- MediaPort ---
    void show_picture(const std::string &) override {}
    void set_melody_source(const std::string &) override {}
    app::ConversionChoice conversion_choice(app::FileType, const std::string &) override;
    bool convert_picture(const std::string &out_path, const std::string &source,
                         const media::PictureChoice &choice) override;
    bool convert_melody(const std::string &out_path, const std::string &source, bool fit) override;

  private:
    void print_error(const std::string &text);
    // How to find the port the handset is on, under a failure where no handset answered.
    void print_probe_hint(const app::Message &failure);
    void print_progress(const app::Report &report);
    void finish_transfer_line();
    void record_failure(const std::string &text);
    // Every failure recorded is a Ctrl-C (none at all counts too).
    bool only_interrupted() const;
    void clear_progress_line();

    app::ProgramValues values_;
    app::MemoryProfile profile_;
    app::EventLoopThread loop_;
    std::unique_ptr<app::MainCore> core_;
    bool initialised_ = false;
    std::string device_;
    uint32_t com_port_ = app::kDefaultComPort;

    // Set before an operation, read on the window thread while it runs.
    std::atomic<bool> preview_{false};
    std::atomic<bool> keep_{true};
    std::atomic<bool> echo_{false};

    // Window thread writes, the command's thread reads.
    mutable std::mutex mutex_;
    app::ConversionChoice choice_;
    app::MessageId failure_result_ = app::MessageId::None;
    bool interrupted_ = false;
    std::string finished_text_;
    std::condition_variable cv_;
    std::vector<app::Outcome> successes_;
    std::vector<std::string> failures_;
    size_t interruptions_ = 0;  // of the failures, the user's Ctrl-C
    bool port_error_ = false;

    app::MessageId shown_ = app::MessageId::None;  // the last finished report shown (window thread)

    // The progress line (window thread only).
    bool progress_shown_ = false;
    bool sending_ = false;
    std::atomic<bool> verbose_{
        false};  // packets are going out: the transfer's line is not yet complete
    bool terminal_ = false;
    TransferProgress transfer_;
    std::chrono::steady_clock::time_point transfer_start_;

    // Last, so that they stop before anything they may post to is gone.
    std::unique_ptr<InterruptWatch> interrupt_;
    std::unique_ptr<CommandDeadline> deadline_;
    std::atomic<bool> deadline_passed_{false};
};

}  // namespace zemlo::cli
