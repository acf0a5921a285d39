// The main window "Zemlo Loader": the PC browser above, the handset folders and files below, the
// download name, the command buttons, the status line and, at the upper right, the picture or
// the melody panel. It shows what the core tells it (FrontEnd, WindowPort), hands the panels' work
// to the core (MediaPort), and feeds the user's commands to the core on the window thread.
#pragma once

#include <QMainWindow>
#include <QUrl>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "artwork.h"
#include "dialog_units.h"
#include "file_icon_cache.h"
#include "front_end.h"
#include "main_core.h"
#include "media_port.h"
#include "message_boxes.h"
#include "qt_dispatcher.h"
#include "window_port.h"

class QComboBox;
class QDialog;
class QLabel;
class QLineEdit;
class QTreeWidget;
class QTreeWidgetItem;

namespace zemlo::shell {

class AboutDialog;
class FileListView;
class IconButton;
class InPlaceEditor;
class LinkStateIcon;
class MelodyPanel;
class PcFolderTree;
class PicturePanel;
class PortDialog;
class SpaceGauge;
class WaitWindow;

// What the window asks of the desktop, replaceable so that tests answer instead of a person.
struct WindowHooks {
    BoxAnswerer box = run_message_box;
    // Runs a modal dialog (about box, port dialog) and returns its result.
    std::function<int(QDialog &)> run_dialog;
    // Opens a URL with the desktop; false when nothing could open it.
    std::function<bool(const QUrl &)> open_url;
    // The room the window may take (the screen's available area); empty: the screen's own.
    std::function<QSize()> available_size;
};

class MainWindow : public QMainWindow,
                   public app::FrontEnd,
                   public app::WindowPort,
                   public app::MediaPort {
    Q_OBJECT
  public:
    // module_dir is where libhandlink.so is looked for. initialise() starts the window's state.
    MainWindow(app::Profile &profile, std::string module_dir, WindowHooks hooks = {});
    ~MainWindow() override;

    // Loads the device library, fills the browsers, reads the port setting; false when the
    // library could not be loaded (the window stays usable for browsing).
    bool initialise();

    // Selects a picture or MIDI file handed from outside (command line, a later start, a drop)
    // exactly as clicking it would: the file type, the folder in the tree, the row in the list,
    // and the panel. A file that cannot be opened gets a box and changes nothing.
    bool open_outside_file(const QString &path);
    // Whether the PC browser has read its places and the folders it opened (they are read in
    // the background).
    bool browser_ready() const;

    // --- FrontEnd ---
    app::BoxAnswer ask(const app::QuestionAsked &asked) override;
    void show_error(const app::ErrorNotice &notice) override;
    void operation_report(const app::Report &report) override;
    void operation_ended(const app::Outcome &) override {}

    // --- WindowPort ---
    void set_status_line(const std::string &text) override;
    void set_buttons(const app::ButtonStates &buttons) override;
    void set_connection_text(const std::string &text, bool connected) override;
    void set_space(int64_t capacity, int64_t free_space) override;
    void focus_handset_tree() override;
    void focus_handset_list() override;
    void show_handset_rows(const std::vector<app::HandsetRow> &rows) override;
    int32_t selected_handset_row() override;
    void set_handset_row_text(int32_t row, const std::string &text) override;
    void edit_handset_row(int32_t row, const std::string &editor_text) override;
    void set_download_name_box(const std::string &text) override;
    void set_extension_label(const std::string &text) override;
    void set_pc_file_label(const std::string &text) override;
    void show_pc_files(const std::vector<app::PcFileRow> &rows) override;
    void show_panel(app::FileType type) override;
    void open_help(const std::string &path) override;
    void show_about() override;
    std::optional<uint32_t> choose_port(uint32_t current) override;

    // --- MediaPort ---
    void show_picture(const std::string &path) override;
    void set_melody_source(const std::string &path) override;
    bool convert_picture(const std::string &out_path, const std::string &source) override;
    bool convert_melody(const std::string &out_path, const std::string &source) override;

    // --- for tests and screenshots ---
    app::MainCore &core() { return *core_; }
    app::ProgramValues &values() { return values_; }
    const BaseUnits &base() const { return base_; }
    WaitWindow *wait_window() const { return wait_; }
    PicturePanel *picture_panel() const { return picture_; }
    MelodyPanel *melody_panel() const { return melody_; }
    PcFolderTree *pc_tree() const { return pc_tree_; }
    FileListView *pc_list() const { return pc_list_; }
    QTreeWidget *handset_tree() const { return handset_tree_; }
    FileListView *handset_list() const { return handset_list_; }
    QComboBox *file_type_box() const { return file_type_; }
    QLineEdit *name_box() const { return name_; }
    QLabel *extension_label() const { return extension_; }
    QLabel *pc_file_label() const { return pc_file_; }
    QLabel *status_line() const { return status_; }
    LinkStateIcon *link_icon() const { return link_; }
    SpaceGauge *space_gauge() const { return gauge_; }
    IconButton *connect_button() const { return connect_; }
    IconButton *download_button() const { return download_; }
    IconButton *rename_button() const { return rename_; }
    IconButton *delete_button() const { return delete_; }
    IconButton *disconnect_button() const { return disconnect_; }
    InPlaceEditor *rename_editor() const { return editor_; }
    FileIconCache &icon_cache() { return icons_; }
    QAction *settings_action() const { return settings_action_; }
    QAction *format_action() const { return format_action_; }
    QAction *help_action() const { return help_action_; }
    QAction *about_action() const { return about_action_; }

  protected:
    void keyPressEvent(QKeyEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void changeEvent(QEvent *event) override;

  private:
    void build_menu();
    QFont fitting_font();
    void build_controls(QWidget *client);
    void build_panels(QWidget *client);
    void set_tab_order();
    void pc_tree_selection_changed();
    void handset_tree_selection_changed(QTreeWidgetItem *current, QTreeWidgetItem *previous);
    void hold_buttons_for_melody(bool playing);
    void pc_row_chosen(int row);
    void pc_places_shown();
    IconButton *make_button(QWidget *parent, const QString &caption, Icon icon,
                            const DuRect &place);
    QLabel *make_sunken_label(QWidget *parent, const QString &text, const QRect &rect);
    QWidget *owner_of(app::BoxOwner owner);
    // Every box of the window goes through the hooks, so tests answer it.
    app::BoxAnswer message_box(const app::MessageBoxDetails &box);

    app::Profile &profile_;
    std::string module_dir_;
    WindowHooks hooks_;
    BaseUnits base_;
    FileIconCache icons_;

    PcFolderTree *pc_tree_ = nullptr;
    FileListView *pc_list_ = nullptr;
    QTreeWidget *handset_tree_ = nullptr;
    FileListView *handset_list_ = nullptr;
    QComboBox *file_type_ = nullptr;
    QLineEdit *name_ = nullptr;
    QLabel *extension_ = nullptr;
    QLabel *pc_file_ = nullptr;
    QLabel *status_ = nullptr;
    LinkStateIcon *link_ = nullptr;
    SpaceGauge *gauge_ = nullptr;
    IconButton *connect_ = nullptr;
    IconButton *download_ = nullptr;
    IconButton *rename_ = nullptr;
    IconButton *delete_ = nullptr;
    IconButton *disconnect_ = nullptr;
    InPlaceEditor *editor_ = nullptr;
    QAction *settings_action_ = nullptr;
    QAction *format_action_ = nullptr;
    QAction *help_action_ = nullptr;
    QAction *about_action_ = nullptr;
    WaitWindow *wait_ = nullptr;
    PicturePanel *picture_ = nullptr;
    MelodyPanel *melody_ = nullptr;
    bool torn_down_ = false;
    // A file handed in before the browser had its places.
    std::optional<QString> pending_outside_file_;

    app::ProgramValues values_;
    QtDispatcher dispatcher_{this};
    // Last: it is stopped and destroyed before anything it reports to.
    std::unique_ptr<app::MainCore> core_;
};

}  // namespace zemlo::shell
