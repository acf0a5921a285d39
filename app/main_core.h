// The main window's state and every handset operation, without widgets. The window (or a test)
// implements UiPort and MediaPort, feeds the user's commands in on the window thread, and the core
// runs one operation at a time on its worker thread, reporting through the dispatcher.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "block_receiver.h"
#include "connect_operation.h"
#include "device_binding.h"
#include "dispatcher.h"
#include "download_operation.h"
#include "handset_file_table.h"
#include "listing_parser.h"
#include "listing_start.h"
#include "messages.h"
#include "operation.h"
#include "operation_context.h"
#include "operation_report.h"
#include "profile.h"
#include "program_values.h"
#include "stop_token.h"
#include "ui_port.h"
#include "wait_window_model.h"
#include "zemlo/handset_records.h"

namespace zemlo::app {

inline constexpr const char *kHelpFile = "dwnHelp.html";

class MainCore : private Reporter {
  public:
    MainCore(ProgramValues &values, UiPort &ui, MediaPort &media, Dispatcher &dispatcher,
             Profile &profile);
    ~MainCore() override;
    MainCore(const MainCore &) = delete;
    MainCore &operator=(const MainCore &) = delete;

    // Start-up, on the window thread: loads libhandlink.so from module_dir, reads the port setting,
    // registers for handset messages. False when the library could not be loaded (the user has been
    // told; the window stays usable for browsing).
    bool initialise(const std::string &module_dir);
    // Teardown, on the window thread: stops a running operation, disconnects without notices,
    // unloads the library.
    void teardown();

    // --- commands of the window (window thread) ---------------------------------------------
    void connect_command();
    void disconnect_command();
    void download_command();
    void rename_command();
    void rename_edit_begin(int32_t row);
    // The end of an in-place edit: text is nothing when the edit was cancelled.
    void rename_edit_end(int32_t row, const std::optional<std::string> &text);
    void delete_command();
    void format_command();
    void file_type_changed(int32_t file_type);
    void download_name_changed(const std::string &text);
    void pc_folder_selected(const std::string &folder);
    // The folder tree's selection moved: the chosen file and its label are cleared first.
    void clear_pc_file_choice();
    void pc_file_chosen(const std::string &name);
    void handset_row_chosen(int32_t row);
    void handset_folder_selected(int32_t folder_type);
    void settings_command();
    void help_command();
    void about_command();
    void wait_cancel();

    // --- requests already confirmed (the command line), window thread -------------------------
    // Each starts its operation as the window's command would after the user said OK, without
    // the window's gestures (selection, in-place edit, questions). False when it was refused
    // (busy, no such row, a name the handset would not take: the user has been told).
    bool download_file(int32_t file_type, const std::string &source, const std::string &name);
    bool rename_file(int32_t row, const std::string &new_name);
    bool delete_file(int32_t row);
    bool format_store();

    // A forwarded handset message (a copy of the record), on the window thread.
    void handset_message(const std::vector<uint8_t> &record);

    // --- state, read on the window thread -----------------------------------------------------
    bool busy() const { return busy_.load(); }
    Operation pending() const { return static_cast<Operation>(pending_.load()); }
    bool receiving() const { return receiver_.receiving(); }
    int64_t capacity() const { return capacity_; }
    int64_t free_space() const { return free_space_; }
    int32_t file_type() const { return file_type_; }
    const HandsetFileTable &table() const { return table_; }
    const std::vector<HandsetRow> &handset_rows() const { return rows_; }
    const std::string &download_name() const { return download_name_; }
    const std::string &selected_pc_file() const { return selected_pc_file_; }
    const std::string &current_handset_folder() const { return current_handset_folder_; }
    const std::string &download_folder() const { return download_folder_; }
    const std::string &extension() const { return extension_; }
    DeviceBinding &binding() { return binding_; }

    // Waits, off the window thread, until no operation runs or waits to start, and the worker's
    // thread has ended.
    void wait_until_idle();
    // The restart wait after a format (tests shorten it).
    void set_format_restart_wait(std::chrono::milliseconds ms) { restart_wait_ = ms; }

  private:
    struct WindowCall;
    struct MessageSink {
        HlWindow base;
        MainCore *core;
    };
    static void forward_message(HlWindow *self, uint32_t message, uintptr_t wparam,
                                intptr_t lparam);

    // Threads and reports.
    bool start_operation(Operation op);
    void worker_ended();  // window thread: starts a command deferred while the worker ended
    void worker_procedure();
    void run_operation(Operation op);
    // Runs fn on the window thread and waits for it; from the worker, false (and fn maybe not
    // run) once the operation is stopped.
    bool on_window(const std::function<void()> &fn) override;
    void stop_worker_at_once();
    void set_busy(bool busy);
    void show_report(const Report &report);
    void show_error(MessageId id);
    // --- Reporter: the window side of the worker's operation ---
    void show(const Report &report) override { show_report(report); }
    BoxAnswer ask(const QuestionAsked &question) override;
    void relist() override { reread_listing(); }
    void connection_state_update(bool connected, bool enable);
    void connection_state_update_from_worker(bool connected, bool enable);

    // Handset list.
    // The first selected row of the handset list becomes the one rename and delete act on.
    bool take_selected_handset_row();
    void refill_handset_list();
    void clear_handset_files();
    void set_row_text(int32_t row, const std::string &text);
    bool check_name(const std::string &name);
    // Makes row the one rename and delete act on; false when there is no such row.
    bool select_row(int32_t row);
    // True (and the user told) while an operation runs.
    bool refuse_while_busy();
    // The device the COM number stands for now: the profile's mapping, the environment, ttyS.
    std::string port_device(uint32_t port) const;

    // Operations: each runs the function of its own file over context_ (worker thread unless
    // noted), with what it reads of the window's state and what it changes in it.
    void run_connect();
    // What the connect and the listing change in the window.
    ListingWindow listing_window();
    // Reads the listing again so the table shows what the handset has (worker).
    void reread_listing();
    void run_disconnect(bool notify);  // also on the window thread at teardown
    void run_abort_notice();
    void run_download();
    void run_rename();
    void run_delete();
    void run_format();
    void on_data_indication(const uint8_t *body, size_t size);  // window thread
    void complete_listing();                                    // window thread
    void connect_failed();                                      // window thread
    // A listing read again that did not arrive: the table cannot be trusted, the connection
    // ends (window thread).
    void relist_failed();
    void on_handset_event(uint16_t code);  // window thread
    void on_line_lost();                   // window thread

    ProgramValues &values_;
    UiPort &ui_;
    MediaPort &media_;
    Dispatcher &dispatcher_;
    Profile &profile_;
    DeviceBinding binding_;
    MessageSink sink_{};
    std::shared_ptr<std::atomic<MainCore *>> alive_;

    // Operation model.
    std::thread worker_;
    StopToken token_;
    std::atomic<int32_t> pending_{0};
    std::atomic<bool> busy_{false};
    std::mutex idle_mutex_;
    std::condition_variable idle_cv_;
    std::atomic<bool> worker_recorded_{false};
    // True from the start of a worker thread until the last thing it does; the window thread
    // joins a worker only once this is false, so it never waits for a worker that needs it.
    std::atomic<bool> worker_alive_{false};
    // Set by the worker once it needs nothing more from the window thread (its normal end).
    std::atomic<bool> window_released_{false};
    std::atomic<int32_t> deferred_{0};  // an Operation; set and started on the window thread
    std::mutex call_mutex_;
    std::shared_ptr<WindowCall> current_call_;
    std::chrono::milliseconds restart_wait_{5000};
    // How the running operation ends (worker thread while it runs).
    Outcome outcome_;
    bool listing_follows_ = false;  // the connect's outcome comes with its listing
    // What the worker's operation works with.
    OperationContext context_{binding_, *this, token_, values_, outcome_};

    // Window state (window thread).
    BlockReceiver receiver_;
    ListingParser parser_;
    HandsetFileTable table_;
    std::vector<HandsetRow> rows_;
    int64_t capacity_ = 0;
    int64_t free_space_ = 0;
    int32_t file_type_ = 0;
    int32_t selected_row_ = -1;
    int32_t selected_entry_ = -1;
    std::string current_handset_folder_;
    std::string download_folder_;
    std::string extension_;
    std::string download_name_;
    std::string current_pc_folder_;
    std::string selected_pc_file_;
    std::string rename_old_;
    std::string rename_extension_;
    std::string rename_new_;
    bool relisting_ = false;  // the listing under way was asked for again, not by a connect
    ListingStart listing_start_;

    // The converted file while it is sent; closed by whoever stops first.
    SentFile sent_file_;
};

}  // namespace zemlo::app
