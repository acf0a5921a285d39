// The main window's state and the dispatch of the user's commands, without widgets. A front end
// (the desktop window, the command line, a test) implements FrontEnd and MediaPort, and the window
// WindowPort too; it feeds the user's commands in on the window thread. The core keeps what the
// user chose (PcChoice, RenameEdit) and the handset's files (HandsetListing), takes in what the
// handset sends of its own accord (HandsetInbox), and has OperationRunner run one operation at a
// time on its worker, each in the file of its own.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "connection_view.h"
#include "device_binding.h"
#include "dispatcher.h"
#include "front_end.h"
#include "handset_entry.h"
#include "handset_inbox.h"
#include "handset_listing.h"
#include "media_port.h"
#include "messages.h"
#include "operation_runner.h"
#include "pc_choice.h"
#include "profile.h"
#include "program_values.h"
#include "rename_edit.h"
#include "window_port.h"

namespace zemlo::app {

class MainCore : private HandsetInbox::Receiver {
  public:
    // window: the main window's widgets; nullptr for a front end that has none (the command line).
    MainCore(ProgramValues &values, FrontEnd &front_end, MediaPort &media, Dispatcher &dispatcher,
             Profile &profile, WindowPort *window);
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
    void connect_command() { runner_.start(Operation::Connect); }
    void disconnect_command() { runner_.start(Operation::Disconnect); }
    void download_command();
    void rename_command();
    void rename_edit_begin(int32_t row);
    // The end of an in-place edit: text is nothing when the edit was cancelled.
    void rename_edit_end(int32_t row, const std::optional<std::string> &text);
    void delete_command();
    void format_command();
    void file_type_changed(FileType type) { pc_.set_type(type); }
    void download_name_changed(const std::string &text);
    void pc_folder_selected(const std::string &folder) { pc_.show_folder(folder); }
    // The folder tree's selection moved: the chosen file and its label are cleared first.
    void clear_pc_file_choice() { pc_.clear_file(); }
    void pc_file_chosen(const std::string &name);
    // Several files chosen in the PC list (names in the folder on show), downloaded in one go.
    void pc_files_chosen(const std::vector<std::string> &names);
    void handset_row_chosen(int32_t row);
    void handset_folder_selected(FileType type) { listing_.show_folder(type); }
    void settings_command();
    void help_command();
    void about_command() { window_.show_about(); }
    void wait_cancel();

    // --- requests already confirmed (the command line), window thread -------------------------
    // Each starts its operation as the window's command would after the user said OK, without
    // the window's gestures (selection, in-place edit, questions). False when it was refused
    // (busy, no such file, a name the handset would not take: the user has been told). A file is
    // named with its extension; a new name without it.
    bool download_file(FileType type, const std::string &source, const std::string &name);
    bool rename_file(FileType type, const std::string &name, const std::string &new_name);
    bool delete_file(FileType type, const std::string &name);
    bool format_store();

    // A forwarded handset message (a copy of the record), on the window thread.
    void handset_message(const std::vector<uint8_t> &record) { inbox_.take(record); }

    // --- state, read on the window thread -----------------------------------------------------
    bool busy() const { return runner_.busy(); }
    const HandsetListing &listing() const { return listing_; }
    // A listing's block transfer is under way.
    bool listing_pending() const { return inbox_.listing_pending(); }
    const std::string &download_name() const { return pc_.name(); }
    const std::string &selected_pc_file() const { return pc_.file(); }
    std::string current_handset_folder() const { return listing_.shown_folder(); }
    std::string download_folder() const { return std::string(folder_path(pc_.type())); }
    DeviceBinding &binding() { return binding_; }

    // Waits, off the window thread, until no operation runs or waits to start, and the worker's
    // thread has ended.
    void wait_until_idle() { runner_.wait_until_idle(); }
    // The waits of a format for the handset's restart and its return (tests shorten them).
    void set_format_timing(const FormatTiming &timing) { runner_.set_format_timing(timing); }

  private:
    // --- HandsetInbox::Receiver (handset_messages.cpp) ---
    void handset_event(MessageId event) override;
    void listing_arrived(const ListingResult &listing, ListingPurpose purpose) override;
    void listing_failed(ListingPurpose purpose) override;
    void line_lost() override;

    void show_error(MessageId id);
    // The first selected row of the handset list becomes the one rename and delete act on.
    bool take_selected_handset_row();
    bool check_name(const std::string &name);
    // The download of the files chosen together: each named from its own, checked, and
    // confirmed before anything is sent.
    void download_batch_command();
    // True (and the user told) while an operation runs.
    bool refuse_while_busy();

    ProgramValues &values_;
    FrontEnd &front_;
    WindowPort &window_;
    MediaPort &media_;
    Profile &profile_;
    DeviceBinding binding_;
    HandsetListing listing_;
    PcChoice pc_;
    RenameEdit rename_;
    ConnectionView connection_;
    BatchRequest batch_;
    BatchLedger batch_ledger_;  // what became of each file of the batch under way
    // Its worker is stopped (in the destructor) before anything it works on is gone.
    OperationRunner runner_;
    // Last, so the first to go: records still queued for the window thread find no core.
    HandsetInbox inbox_;
};

}  // namespace zemlo::app
