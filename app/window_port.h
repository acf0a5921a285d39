// The main window's widgets as the core drives them: the status line, the buttons, the handset
// and PC lists, the name box, the side panels and the small dialogs. Only the desktop window (and
// the tests that stand in for it) has them; a core without a window (the command line) gets
// no_window(). Called on the window thread only, like FrontEnd.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "connection_state.h"
#include "handset_entry.h"
#include "handset_file_table.h"

namespace zemlo::app {

// A file of the PC file list.
struct PcFileRow {
    std::string name;
    uint64_t size = 0;

    bool operator==(const PcFileRow &) const = default;
};

class WindowPort {
  public:
    virtual ~WindowPort() = default;

    // The status line at the bottom of the main window.
    virtual void set_status_line(const std::string &text) = 0;
    virtual void set_buttons(const ButtonStates &buttons) = 0;
    virtual void set_connection_text(const std::string &text, bool connected) = 0;
    virtual void set_space(int64_t capacity, int64_t free_space) = 0;

    // The handset folder tree and the handset file list.
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
    virtual void show_panel(FileType type) = 0;

    // Small commands.
    virtual void open_help(const std::string &path) = 0;
    virtual void show_about() = 0;
    // The port dialog; returns the chosen COM number on OK, nothing on Cancel.
    virtual std::optional<uint32_t> choose_port(uint32_t current) = 0;
};

// The widgets of a front end that has none: nothing is shown, no row is selected and no port is
// chosen.
WindowPort &no_window();

}  // namespace zemlo::app
