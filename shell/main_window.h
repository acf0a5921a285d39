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
#include <vector>

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

// The window's controls, for tests and the screenshot tour; the window itself keeps them as
// members.
struct MainWindowParts {
    WaitWindow *wait_window = nullptr;
    PicturePanel *picture_panel = nullptr;
    MelodyPanel *melody_panel = nullptr;
    PcFolderTree *pc_tree = nullptr;
    FileListView *pc_list = nullptr;
    QTreeWidget *handset_tree = nullptr;
    FileListView *handset_list = nullptr;
    QComboBox *file_type_box = nullptr;
    QLineEdit *name_box = nullptr;
    QLabel *extension_label = nullptr;
    QLabel *pc_file_label = nullptr;
    QLabel *status_line = nullptr;
    LinkStateIcon *link_icon = nullptr;
    SpaceGauge *space_gauge = nullptr;
    IconButton *connect_button = nullptr;
    IconButton *download_button = nullptr;
    IconButton *rename_button = nullptr;
    IconButton *delete_button = nullptr;
    IconButton *disconnect_button = nullptr;
    InPlaceEditor *rename_editor = nullptr;
    QAction *settings_action = nullptr;
    QAction *format_action = nullptr;
    QAction *help_action = nullptr;
    QAction *about_action = nullptr;
};

// What the window asks of the desktop, replaceable so that tests answer instead of a person.
struct WindowHooks {
    BoxAnswerer box = run_message_box;
    // Runs a modal dialog (about box, port dialog) and returns its result.
    std::function<int(QDialog &)> run_dialog;
    // Opens a URL with the desktop; false when nothing could open it.
    std::function<bool(const QUrl &)> open_url;
    // The room the window may take (the screen's available area, in logical pixels); none: the
    // screen's own.
    std::function<QRect()> available_area;
    // Called once while the window is made, after what needs no fonts (the menus, the icons)
    // and before its first text is measured: the program's start waits there for the font
    // configuration it reads ahead.
    std::function<void()> before_text;
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
    // The path is bytes, as the file system has it.
    bool open_outside_file(const std::string &path) {
        return open_outside_files(std::vector<std::string>{path});
    }
    // Several files at once (a drop), chosen together in the list as Ctrl-clicks would choose
    // them, so that one download sends them all. They are of one folder and one file type;
    // otherwise, or when one cannot be opened, a box says why and nothing changes.
    bool open_outside_files(const std::vector<std::string> &paths);
    // Whether the PC browser has read its places and the folders it opened (they are read in
    // the background).
    bool browser_ready() const;

    // --- FrontEnd ---
    app::BoxAnswer ask(const app::QuestionAsked &asked) override;
    void show_error(const app::ErrorNotice &notice) override;
    void operation_report(const app::Report &report) override;
    void operation_ended(const app::Outcome &) override {}
    void show_summary(const std::string &text) override;

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
    app::ConversionChoice conversion_choice(app::FileType type, const std::string &path) override;
    bool convert_picture(const std::string &out_path, const std::string &source,
                         const media::PictureChoice &choice) override;
    bool convert_melody(const std::string &out_path, const std::string &source, bool fit) override;
    app::Message conversion_refusal() const override;

    // --- for tests and screenshots ---
    app::MainCore &core() { return *core_; }
    app::ProgramValues &values() { return values_; }
    const BaseUnits &base() const { return base_; }
    // The window's controls as they are now (the rename editor exists only while editing).
    MainWindowParts parts() const;

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
    QRect available_area() const;
    QFont fitting_font();
    // The handset's and the PC's trees and lists, not yet placed.
    void make_views(QWidget *client);
    void build_controls(QWidget *client);
    void build_panels(QWidget *client);
    void set_tab_order();
    void pc_tree_selection_changed();
    void handset_tree_selection_changed(QTreeWidgetItem *current, QTreeWidgetItem *previous);
    void hold_buttons_for_melody(bool playing);
    void pc_row_chosen(int row);
    void pc_places_shown();
    // The handed file, or else the first place, once the places are there.
    void choose_after_places();
    IconButton *make_button(QWidget *parent, const QString &caption, Icon icon,
                            const DuRect &place);
    QLabel *make_sunken_label(QWidget *parent, const QString &text, const QRect &rect);
    QWidget *owner_of(app::BoxOwner owner);
    // Every box of the window goes through the hooks, so tests answer it.
    app::BoxAnswer message_box(const app::MessageBoxDetails &box);

    app::Profile &profile_;
    // The melody whose last conversion was refused for striking no note (window thread).
    std::string refused_source_;
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
    // Files handed in before the browser had its places.
    std::vector<std::string> pending_outside_files_;
    bool choice_after_places_ = false;
    // A refusal of a handed file is on the screen: the next one is not piled on top of it.
    bool refusal_shown_ = false;

    app::ProgramValues values_;
    QtDispatcher dispatcher_{this};
    // Last: it is stopped and destroyed before anything it reports to.
    std::unique_ptr<app::MainCore> core_;
};

}  // namespace zemlo::shell
