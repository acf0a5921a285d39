#include "window_port.h"

namespace zemlo::app {

namespace {

class NoWindow final : public WindowPort {
  public:
    void set_status_line(const std::string &) override {}
    void set_buttons(const ButtonStates &) override {}
    void set_connection_text(const std::string &, bool) override {}
    void set_space(int64_t, int64_t) override {}
    void focus_handset_tree() override {}
    void focus_handset_list() override {}
    void show_handset_rows(const std::vector<HandsetRow> &) override {}
    int32_t selected_handset_row() override { return -1; }
    void set_handset_row_text(int32_t, const std::string &) override {}
    void edit_handset_row(int32_t, const std::string &) override {}
    void set_download_name_box(const std::string &) override {}
    void set_extension_label(const std::string &) override {}
    void set_pc_file_label(const std::string &) override {}
    void show_pc_files(const std::vector<PcFileRow> &) override {}
    void show_panel(FileType) override {}
    void open_help(const std::string &) override {}
    void show_about() override {}
    std::optional<uint32_t> choose_port(uint32_t) override { return std::nullopt; }
};

}  // namespace

WindowPort &no_window() {
    // Stateless, so one serves every core.
    static NoWindow window;
    return window;
}

}  // namespace zemlo::app
