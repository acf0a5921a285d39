// What the core asks of the window. The desktop window implements it with widgets; the tests
// implement it by recording every call and answering questions as scripted. The core calls it on
// the window thread only (the operation worker goes through the dispatcher), so an implementation
// needs no locking of its own.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "connection_state.h"
#include "error_notice.h"
#include "handset_file_table.h"
#include "message_box_details.h"
#include "operation_report.h"
#include "question.h"

namespace zemlo::app {

// A file of the PC file list.
struct PcFileRow {
    std::string name;
    uint64_t size = 0;

    bool operator==(const PcFileRow &) const = default;
};

class UiPort {
  public:
    virtual ~UiPort() = default;

    // A question to the user; returns the answer. The window shows question_box(asked).
    virtual BoxAnswer ask(const QuestionAsked &asked) = 0;
    // An error outside an operation's reports; returns once the user has seen it. The window
    // shows error_box(notice).
    virtual void show_error(const ErrorNotice &notice) = 0;

    // A status report of the running operation, for the wait window. The window shows it before
    // returning, so a report that opens a box returns once it is closed.
    virtual void operation_report(const Report &report) = 0;
    // How an operation ended, once it has (a connect once its listing has arrived).
    virtual void operation_ended(const Outcome &outcome) = 0;
    // The status line at the bottom of the main window.
    virtual void set_status_line(const std::string &text) = 0;

    virtual void set_buttons(const ButtonStates &buttons) = 0;
    virtual void set_connection_text(const std::string &text, bool connected) = 0;
    virtual void set_space(int64_t capacity, int64_t free_space) = 0;

    // The handset folder tree (0 pictures, 1 melodies) and the handset file list.
    virtual int32_t handset_folder() = 0;
    virtual void focus_handset_tree() = 0;
    virtual void focus_handset_list() = 0;
    virtual void show_handset_rows(const std::vector<HandsetRow> &rows) = 0;
    // The first selected row of the handset list, or -1.
    virtual int32_t selected_handset_row() = 0;
    virtual void set_handset_row_text(int32_t row, const std::string &text) = 0;
    // Starts editing a row's label in place with the given text in the editor.
    virtual void edit_handset_row(int32_t row, const std::string &editor_text) = 0;

    // The download-name box; setting it runs the core's name check again, as typing would.
    virtual void set_download_name_box(const std::string &text) = 0;
    virtual void set_extension_label(const std::string &text) = 0;

    // The PC side: the chosen file's label, the file list, and which side panel shows.
    virtual void set_pc_file_label(const std::string &text) = 0;
    virtual void show_pc_files(const std::vector<PcFileRow> &rows) = 0;
    virtual void show_panel(int32_t file_type) = 0;

    // Small commands.
    virtual void open_help(const std::string &path) = 0;
    virtual void show_about() = 0;
    // The port dialog; returns the chosen COM number on OK, nothing on Cancel.
    virtual std::optional<uint32_t> choose_port(uint32_t current) = 0;
};

// What the side panels do for the core: show the chosen file and convert it into the handset's
// format (nonzero when the handset file was written).
class MediaPort {
  public:
    virtual ~MediaPort() = default;
    virtual void show_picture(const std::string &path) = 0;
    virtual void set_melody_source(const std::string &path) = 0;
    virtual bool convert_picture(const std::string &out_path, const std::string &source) = 0;
    virtual bool convert_melody(const std::string &out_path, const std::string &source) = 0;
};

}  // namespace zemlo::app
