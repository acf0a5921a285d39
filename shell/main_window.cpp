#include "main_window.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDesktopServices>
#include <QDir>
#include <QDropEvent>
#include <QFileInfo>
#include <QFrame>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMimeData>
#include <QProxyStyle>
#include <QScreen>
#include <QShortcut>
#include <QStyle>
#include <QTimer>
#include <QTreeWidget>
#include <algorithm>
#include <filesystem>

#include "about_dialog.h"
#include "artwork.h"
#include "box_captions.h"
#include "file_list_view.h"
#include "handset_text.h"
#include "icon_button.h"
#include "in_place_editor.h"
#include "link_state_icon.h"
#include "main_window_layout.h"
#include "melody_panel.h"
#include "notice_boxes.h"
#include "outside_file.h"
#include "pc_folder_tree.h"
#include "picture_conversion.h"
#include "picture_panel.h"
#include "port_dialog.h"
#include "shaded_slider.h"
#include "shown_text.h"
#include "space_gauge.h"
#include "translation_catalogue.h"
#include "wait_window.h"
#include "window_fit.h"
#include "zemlo_resources.h"

namespace zemlo::shell {

namespace {

namespace layout = main_window_layout;

constexpr int kButtonIconPixels = 32;
constexpr int kGaugeFontPixels = 12;
constexpr int kGaugeFontShare = 80;  // per cent of the gauge's height
// Just below the chosen file's label (which ends at 20 units), so neither covers the other.
constexpr int kPanelTopDu = 21;
// Below this the texts are no longer legible: a smaller screen gets a window that runs off it.
// Legibility is a matter of screen pixels: the smallest size is this at a scale of 1 and
// proportionally less where each logical pixel is drawn with more of them (4 points at 1.5 are
// as many screen pixels as 6 at 1), so a 1024 x 600 screen at 1.5 still gets the whole window.
constexpr double kSmallestPoints = 6;
// Room left for the window manager's frame, in device-independent pixels.
constexpr QSize kFrameAllowance(16, 40);
constexpr int kFolderRole = Qt::UserRole;
// A PC file's name as the file system has it; the row shows it escaped.
constexpr int kNameBytesRole = Qt::UserRole + 1;

// The application's style with one difference: Alt alone activates the menu bar.
class AltKeyMenuStyle : public QProxyStyle {
  public:
    // Owned by the window, which outlives its menu bar.
    explicit AltKeyMenuStyle(QObject *owner) { setParent(owner); }

    int styleHint(StyleHint hint, const QStyleOption *option, const QWidget *widget,
                  QStyleHintReturn *answer) const override {
        if (hint == QStyle::SH_MenuBar_AltKeyNavigation) {
            return 1;
        }
        return QProxyStyle::styleHint(hint, option, widget, answer);
    }
};

int run_dialog_modally(QDialog &dialog) {
    return dialog.exec();
}

bool open_with_desktop(const QUrl &url) {
    return QDesktopServices::openUrl(url);
}

// The guide in the window's language lies beside the Chinese one; without it, the Chinese one.
// Bytes throughout: the program's folder may have a name that is not UTF-8.
std::string guide_in_language(const std::string &path) {
    const std::filesystem::path page =
        std::filesystem::path(path).parent_path() / i18n::help_file_name(i18n::active_language());
    std::error_code ec;
    return std::filesystem::exists(page, ec) ? page.string() : path;
}

}  // namespace

MainWindow::MainWindow(app::Profile &profile, std::string module_dir, WindowHooks hooks)
    : QMainWindow(nullptr, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                               Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      profile_(profile),
      module_dir_(std::move(module_dir)),
      hooks_(std::move(hooks)) {
    resources::ensure_loaded();
    if (!hooks_.box) {
        hooks_.box = run_message_box;
    }
    if (!hooks_.run_dialog) {
        hooks_.run_dialog = run_dialog_modally;
    }
    if (!hooks_.open_url) {
        hooks_.open_url = open_with_desktop;
    }
    setWindowTitle(QStringLiteral("Zemlo Loader"));
    setWindowIcon(load_icon(Icon::App));
    setContextMenuPolicy(Qt::PreventContextMenu);
    // A picture or MIDI file dropped from a file manager is opened as if chosen in the browser.
    setAcceptDrops(true);

    build_menu();
    // The command buttons' icons at the size the first paint draws them, drawn while the font
    // configuration is still being read: they need no fonts, and would otherwise be drawn after
    // it, on the way to the first paint.
    for (const Icon icon :
         {Icon::Connect, Icon::Download, Icon::Rename, Icon::Delete, Icon::Disconnect}) {
        draw_icon_ahead(icon, QSize(kButtonIconPixels, kButtonIconPixels), devicePixelRatioF());
    }
    // The four views need no fonts until they are laid out or drawn: made now too, placed once
    // the fonts are read. They are the first children of the client area, as they always were,
    // which keeps the order a screen reader walks them in.
    auto *client = new QWidget(this);
    setCentralWidget(client);
    make_views(client);
    // The handset folders' icons at the size their tree draws them (the open one for the folder
    // selected), ahead too.
    const int folder_pixels =
        handset_tree_->style()->pixelMetric(QStyle::PM_SmallIconSize, nullptr, handset_tree_);
    for (const Icon icon : {Icon::Folder, Icon::OpenFolder}) {
        draw_icon_ahead(icon, QSize(folder_pixels, folder_pixels), devicePixelRatioF());
    }
    if (hooks_.before_text) {
        hooks_.before_text();
    }
    setFont(fitting_font());
    menuBar()->setFont(font());
    base_ = base_units(font());
    client->setFixedSize(du_x(base_, layout::kWidth), du_y(base_, layout::kHeight));
    build_controls(client);
    build_panels(client);
    set_tab_order();
    // A fixed frame: the window is exactly its layout table, so each control stays where it is put.
    setFixedSize(client->width(), client->height() + menuBar()->sizeHint().height());

    core_ = std::make_unique<app::MainCore>(values_, *this, *this, dispatcher_, profile_, this);
}

MainWindow::~MainWindow() {
    if (!torn_down_) {
        core_->teardown();
        torn_down_ = true;
    }
    core_.reset();
    delete wait_;
}

MainWindowParts MainWindow::parts() const {
    return {wait_,          picture_,     melody_,
            pc_tree_,       pc_list_,     handset_tree_,
            handset_list_,  file_type_,   name_,
            extension_,     pc_file_,     status_,
            link_,          gauge_,       connect_,
            download_,      rename_,      delete_,
            disconnect_,    editor_,      settings_action_,
            format_action_, help_action_, about_action_};
}

QRect MainWindow::available_area() const {
    if (hooks_.available_area) {
        return hooks_.available_area();
    }
    const QScreen *screen = this->screen();
    return screen != nullptr ? screen->availableGeometry() : QRect();
}

QFont MainWindow::fitting_font() {
    QFont font = dialog_font();
    QSize room = available_area().size();
    if (room.isEmpty()) {
        return font;
    }
    // The window manager's title bar and borders come on top of the window itself.
    room -= kFrameAllowance;
    const double ratio = screen() != nullptr ? screen()->devicePixelRatio() : 1.0;
    const double smallest =
        std::round(kSmallestPoints / std::max(1.0, ratio) / kFontStepPoints) * kFontStepPoints;
    font.setPointSizeF(
        fitting_point_size(font.pointSizeF(), smallest, room, [this, &font](double points) {
            QFont candidate = font;
            candidate.setPointSizeF(points);
            const BaseUnits base = base_units(candidate);
            menuBar()->setFont(candidate);
            return QSize(du_x(base, layout::kWidth),
                         du_y(base, layout::kHeight) + menuBar()->sizeHint().height());
        }));
    return font;
}

void MainWindow::build_menu() {
    // Every menu and item has a mnemonic, unique within its menu: Alt+F, S opens the settings.
    QMenu *file = menuBar()->addMenu(tr("文件(&F)"));
    settings_action_ = file->addAction(tr("设置(&S)"));
    format_action_ = file->addAction(tr("格式化(&M)"));
    file->addSeparator();
    QAction *quit = file->addAction(tr("退出(&X)"));
    QMenu *other = menuBar()->addMenu(tr("其他(&O)"));
    help_action_ = other->addAction(tr("帮助(&H)"));
    about_action_ = other->addAction(tr("关于(&A)"));
    // Alt pressed and released alone puts the menu bar in keyboard mode (the arrows then move
    // along the menus and Down opens one), whatever style the desktop gives the window: Qt's own
    // style on a plain window manager leaves that out, and the arrows would move the list. Set
    // once the window has shown: the style's own set-up need not hold the first paint.
    QTimer::singleShot(0, this, [this] { menuBar()->setStyle(new AltKeyMenuStyle(this)); });
    // F10 opens the first menu, as it does in the desktop's other programs.
    auto *f10 = new QShortcut(QKeySequence(Qt::Key_F10), this);
    connect(f10, &QShortcut::activated, this,
            [this] { menuBar()->setActiveAction(menuBar()->actions().value(0)); });
    connect(settings_action_, &QAction::triggered, this, [this] { core_->settings_command(); });
    connect(format_action_, &QAction::triggered, this, [this] { core_->format_command(); });
    connect(quit, &QAction::triggered, this, &QWidget::close);
    connect(help_action_, &QAction::triggered, this, [this] { core_->help_command(); });
    connect(about_action_, &QAction::triggered, this, [this] { core_->about_command(); });
}

IconButton *MainWindow::make_button(QWidget *parent, const QString &caption, Icon icon,
                                    const DuRect &place) {
    auto *button = new IconButton(caption, parent);
    button->setGeometry(du_rect(base_, place));
    button->set_icon(icon, kButtonIconPixels);
    button->setAutoDefault(false);
    return button;
}

QLabel *MainWindow::make_sunken_label(QWidget *parent, const QString &text, const QRect &rect) {
    auto *label = new QLabel(text, parent);
    label->setGeometry(rect);
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    return label;
}

void MainWindow::make_views(QWidget *client) {
    // The handset's folders and files (lower left).
    handset_tree_ = new QTreeWidget(client);
    handset_tree_->setHeaderHidden(true);
    handset_tree_->setRootIsDecorated(true);
    handset_tree_->setContextMenuPolicy(Qt::PreventContextMenu);
    handset_list_ = new FileListView(Qt::AlignCenter, client);

    // The PC browser (upper left).
    pc_tree_ = new PcFolderTree(client);
    pc_list_ = new FileListView(Qt::AlignLeft, client);
    // What a screen reader says for each list: what it holds, not its first row.
    handset_tree_->setAccessibleName(tr("手机文件夹"));
    handset_list_->setAccessibleName(tr("手机文件"));
    pc_tree_->setAccessibleName(tr("电脑文件夹"));
    pc_list_->setAccessibleName(tr("电脑文件"));
}

void MainWindow::build_controls(QWidget *client) {
    handset_list_->make_columns();
    pc_list_->make_columns();
    // Ctrl- and Shift-click choose several files, downloaded in one go.
    pc_list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    handset_tree_->setGeometry(du_rect(base_, layout::kHandsetTree));
    handset_list_->setGeometry(du_rect(base_, layout::kHandsetList));
    pc_tree_->setGeometry(du_rect(base_, layout::kPcTree));
    pc_list_->setGeometry(du_rect(base_, layout::kPcList));

    auto *type_label = new QLabel(tr("下载文件类型:"), client);
    type_label->setGeometry(du_rect(base_, layout::kTypeLabel));
    file_type_ = new QComboBox(client);
    file_type_->setGeometry(du_rect(base_, layout::kTypeBox));
    type_label->setBuddy(file_type_);
    file_type_->addItems({tr("图像文件"), tr("MIDI文件")});
    fit_label_and_box(type_label, file_type_, du_x(base_, layout::kChooseLabel.x));
    file_type_->clear();  // filled again by initialise(), which sets the type

    auto *group = new QGroupBox(client);
    group->setGeometry(du_rect(base_, layout::kButtonGroup));
    connect_ = make_button(client, tr("连接"), Icon::Connect, layout::kConnectButton);
    download_ = make_button(client, tr("下载"), Icon::Download, layout::kDownloadButton);
    rename_ = make_button(client, tr("重命名"), Icon::Rename, layout::kRenameButton);
    delete_ = make_button(client, tr("删除"), Icon::Delete, layout::kDeleteButton);
    disconnect_ = make_button(client, tr("断开"), Icon::Disconnect, layout::kDisconnectButton);

    auto *choose_label = new QLabel(tr("选择文件:"), client);
    choose_label->setGeometry(du_rect(base_, layout::kChooseLabel));
    pc_file_ = make_sunken_label(client, QString(), du_rect(base_, layout::kPcFileLabel));

    auto *name_label = new QLabel(tr("下载到文件:"), client);
    name_label->setGeometry(du_rect(base_, layout::kNameLabel));
    name_ = new QLineEdit(client);
    name_->setGeometry(du_rect(base_, layout::kNameBox));
    name_label->setBuddy(name_);
    // A file dragged over the name box is a file to open, not text to type in it.
    name_->installEventFilter(this);
    extension_ = new QLabel(QStringLiteral(".bmp"), client);
    extension_->setGeometry(du_rect(base_, layout::kExtensionLabel));

    link_ = new LinkStateIcon(client);
    link_->setGeometry(du_rect(base_, layout::kLinkState));
    link_->setText(tr("未连接"));
    link_->set_connected_flag(&values_.connected);
    gauge_ = new SpaceGauge(client);
    gauge_->setGeometry(du_rect(base_, layout::kSpaceGauge));
    gauge_->setText(QStringLiteral("45%"));
    gauge_->setAlignment(Qt::AlignCenter);
    gauge_->enable_tool_tip(true);
    // The percentage's 12-pixel font, smaller on a gauge laid out lower than that allows (a small
    // font for a small screen), so the figure is never cut off.
    gauge_->set_font_height(
        std::min(kGaugeFontPixels, gauge_->contentsRect().height() * kGaugeFontShare / 100));
    gauge_->setAccessibleName(tr("手机空间"));
    status_ = make_sunken_label(client, QString(), du_rect(base_, layout::kStatusLine));

    auto *rule = new QFrame(client);
    rule->setFrameStyle(QFrame::HLine | QFrame::Sunken);
    rule->setGeometry(du_x(base_, layout::kRule.x), du_y(base_, layout::kRule.y),
                      du_x(base_, layout::kRule.width), 2);

    // The handset folders, with the folder icon and the open one while selected.
    for (const auto &[text, type] : {std::pair{tr("屏保文件"), 0}, std::pair{tr("铃音文件"), 1}}) {
        auto *item = new QTreeWidgetItem(handset_tree_, {text});
        item->setData(0, kFolderRole, type);
        item->setIcon(0, load_icon(Icon::Folder));
    }
    // The cache was reset as it was made.
    icons_.add_resource_icon(Icon::Program, QStringLiteral("***"));

    connect(connect_, &QPushButton::clicked, this, [this] { core_->connect_command(); });
    connect(disconnect_, &QPushButton::clicked, this, [this] { core_->disconnect_command(); });
    connect(download_, &QPushButton::clicked, this, [this] { core_->download_command(); });
    connect(rename_, &QPushButton::clicked, this, [this] { core_->rename_command(); });
    connect(delete_, &QPushButton::clicked, this, [this] { core_->delete_command(); });
    connect(name_, &QLineEdit::textChanged, this,
            [this](const QString &text) { core_->download_name_changed(text.toStdString()); });
    connect(pc_tree_, &QTreeWidget::currentItemChanged, this,
            &MainWindow::pc_tree_selection_changed);
    connect(pc_list_, &FileListView::row_chosen, this, &MainWindow::pc_row_chosen);
    connect(handset_tree_, &QTreeWidget::currentItemChanged, this,
            &MainWindow::handset_tree_selection_changed);
    connect(handset_list_, &FileListView::row_chosen, this,
            [this](int row) { core_->handset_row_chosen(row); });
}

void MainWindow::build_panels(QWidget *client) {
    wait_ = new WaitWindow(base_, &hooks_.box);
    wait_->setFont(font());
    wait_->set_cancel_handler([this] { core_->wait_cancel(); });

    melody_ = new MelodyPanel(
        base_, &hooks_.box, [this](bool playing) { hold_buttons_for_melody(playing); }, client);
    melody_->hide();
    std::string why;
    picture_ = new PicturePanel(base_, media::default_picture_folders(&why), client);
    picture_->show();
    // Both panels take the same place: at the right edge, below the top, the melody panel's size.
    const QRect place(client->width() - melody_->width(), du_y(base_, kPanelTopDu),
                      melody_->width(), melody_->height());
    melody_->setGeometry(place);
    picture_->setGeometry(place);
}

void MainWindow::set_tab_order() {
    // The reading order: the top row and the PC browser, the panel beside it, the name, the
    // handset below it, then the command buttons. What precedes the name box is the panel, so
    // Shift+Tab and Space from the name never reach a command that deletes.
    const std::vector<QWidget *> chain = {file_type_,
                                          pc_tree_,
                                          pc_list_,
                                          picture_->effect_box(),
                                          picture_->area(),
                                          picture_->dither_box(),
                                          melody_->slider(),
                                          melody_->play_button(),
                                          melody_->stop_button(),
                                          melody_->fit_box(),
                                          name_,
                                          handset_tree_,
                                          handset_list_,
                                          connect_,
                                          download_,
                                          rename_,
                                          delete_,
                                          disconnect_};
    for (size_t i = 1; i < chain.size(); ++i) {
        QWidget::setTabOrder(chain[i - 1], chain[i]);
    }
}

bool MainWindow::initialise() {
    file_type_->blockSignals(true);
    file_type_->addItem(tr("图像文件"));
    file_type_->addItem(tr("MIDI文件"));
    file_type_->setCurrentIndex(0);
    file_type_->blockSignals(false);
    pc_file_->clear();

    const bool loaded = core_->initialise(module_dir_);
    connect(file_type_, &QComboBox::currentIndexChanged, this,
            [this](int index) { core_->file_type_changed(static_cast<app::FileType>(index)); });

    // The places are read in the background: the first paint waits for no folder or mount.
    connect(pc_tree_, &PcFolderTree::placesShown, this, &MainWindow::pc_places_shown,
            Qt::UniqueConnection);
    pc_tree_->fill_top_level();
    handset_tree_->setCurrentItem(handset_tree_->topLevelItem(0));
    pc_tree_->setFocus();
    handset_tree_->setFocus();
    // Centred in the room with the window manager's frame, its title bar never above the top of
    // the room (on a screen too small even for the smallest font the bottom runs off instead).
    if (const QRect area = available_area(); !area.isEmpty()) {
        const QSize framed = size() + kFrameAllowance;
        move(area.x() + std::max(0, (area.width() - framed.width()) / 2),
             area.y() + std::max(0, (area.height() - framed.height()) / 2));
    }
    // The wait window appears centred over the main window.
    wait_->move(geometry().center() - wait_->rect().center());
    return loaded;
}

// --- what the browser and the handset tree report ---------------------------------------------

void MainWindow::pc_tree_selection_changed() {
    pc_list_->clear();
    core_->clear_pc_file_choice();
    if (const std::optional<std::string> folder = pc_tree_->selected_folder_path()) {
        core_->pc_folder_selected(*folder);
    }
}

void MainWindow::pc_places_shown() {
    // The first place's files are listed just after the window's first paint, which does not wait
    // for a folder listing.
    choice_after_places_ = true;
    QTimer::singleShot(0, this, [this] {
        choice_after_places_ = false;
        choose_after_places();
    });
}

void MainWindow::choose_after_places() {
    if (!pending_outside_files_.empty()) {
        const std::vector<std::string> paths = std::move(pending_outside_files_);
        pending_outside_files_.clear();
        if (open_outside_files(paths)) {
            return;
        }
    }
    pc_tree_->select_first();
}

bool MainWindow::browser_ready() const {
    return pc_tree_->places_shown() && !choice_after_places_ && !pc_tree_->scanning();
}

void MainWindow::pc_row_chosen(int row) {
    std::vector<std::string> names;
    for (int i = 0; i < pc_list_->topLevelItemCount(); ++i) {
        if (const QTreeWidgetItem *item = pc_list_->topLevelItem(i); item->isSelected()) {
            names.push_back(item->data(0, kNameBytesRole).toByteArray().toStdString());
        }
    }
    if (names.size() > 1) {
        core_->pc_files_chosen(names);
        return;
    }
    if (QTreeWidgetItem *item = pc_list_->topLevelItem(row)) {
        core_->pc_file_chosen(item->data(0, kNameBytesRole).toByteArray().toStdString());
    }
}

bool MainWindow::open_outside_files(const std::vector<std::string> &paths) {
    std::vector<OutsideFile> files;
    QString error;
    for (const std::string &path : paths) {
        files.push_back(check_outside_file(path));
        if (!files.back().ok()) {
            error = files.back().error;
            break;
        }
    }
    if (error.isEmpty() && files.empty()) {
        return false;
    }
    const std::filesystem::path folder = std::filesystem::path(files.front().path).parent_path();
    if (error.isEmpty()) {
        // The list shows one folder's files of one type, and a download sends one type.
        for (const OutsideFile &file : files) {
            if (std::filesystem::path(file.path).parent_path() != folder ||
                file.file_type != files.front().file_type) {
                error = tr("一起拖入的文件须在同一个文件夹中，且都是图片或都是乐曲");
            }
        }
    }
    if (error.isEmpty() && (!pc_tree_->places_shown() || choice_after_places_)) {
        // Chosen as soon as the browser has its places (instead of the first of them).
        pending_outside_files_.clear();
        for (const OutsideFile &file : files) {
            pending_outside_files_.push_back(file.path);
        }
        return true;
    }
    if (error.isEmpty()) {
        if (file_type_->currentIndex() != files.front().file_type) {
            file_type_->setCurrentIndex(files.front().file_type);  // lists the folder for the type
        }
        QTreeWidgetItem *before = pc_tree_->currentItem();
        const bool shown = pc_tree_->select_folder(folder.string());
        if (shown && pc_tree_->currentItem() == before) {
            // The same folder: read it again, the files may be newer than the list.
            pc_tree_selection_changed();
        }
        std::vector<int> rows;
        for (const OutsideFile &file : files) {
            const QByteArray name =
                QByteArray::fromStdString(std::filesystem::path(file.path).filename().string());
            int row = -1;
            for (int i = 0; shown && i < pc_list_->topLevelItemCount() && row < 0; ++i) {
                if (pc_list_->topLevelItem(i)->data(0, kNameBytesRole).toByteArray() == name) {
                    row = i;
                }
            }
            if (row < 0) {
                error = tr("无法在文件夹中找到该文件：%1").arg(shown_name(file.path));
                break;
            }
            rows.push_back(row);
        }
        if (error.isEmpty()) {
            pc_list_->select_row(rows.front());
            for (const int row : rows) {
                pc_list_->topLevelItem(row)->setSelected(true);
            }
            pc_list_->scrollToItem(pc_list_->topLevelItem(rows.front()));
            pc_row_chosen(rows.front());
        }
    }
    if (error.isEmpty()) {
        return true;
    }
    // One refusal at a time: a later start's requests cannot stack boxes on the window.
    if (!refusal_shown_) {
        refusal_shown_ = true;
        message_box(
            window_box(error.toStdString(), tr("打开文件").toStdString(), app::BoxIcon::Warning));
        refusal_shown_ = false;
    }
    return false;
}

void MainWindow::handset_tree_selection_changed(QTreeWidgetItem *current,
                                                QTreeWidgetItem *previous) {
    if (previous != nullptr) {
        previous->setIcon(0, load_icon(Icon::Folder));
    }
    if (current == nullptr) {
        return;
    }
    current->setIcon(0, load_icon(Icon::OpenFolder));
    core_->handset_folder_selected(
        static_cast<app::FileType>(current->data(0, kFolderRole).toInt()));
}

void MainWindow::hold_buttons_for_melody(bool playing) {
    if (playing) {
        set_buttons(app::button_states(false, false));
        return;
    }
    const bool idle = !core_->busy();
    set_buttons(app::button_states(values_.connected.load() && idle, idle));
}

// --- FrontEnd and WindowPort --------------------------------------------------------------------

QWidget *MainWindow::owner_of(app::BoxOwner owner) {
    switch (owner) {
        case app::BoxOwner::WaitWindow:
            return wait_->isVisible() ? static_cast<QWidget *>(wait_) : this;
        case app::BoxOwner::MainWindow:
        case app::BoxOwner::None:
            break;
    }
    return this;
}

app::BoxAnswer MainWindow::message_box(const app::MessageBoxDetails &box) {
    return hooks_.box(box, owner_of(box.owner));
}

app::BoxAnswer MainWindow::ask(const app::QuestionAsked &asked) {
    return message_box(question_box(asked));
}

void MainWindow::show_error(const app::ErrorNotice &notice) {
    message_box(error_box(notice));
}

void MainWindow::show_summary(const std::string &text) {
    message_box(
        window_box(text, app::render(app::MessageId::CaptionConfirm), app::BoxIcon::Information));
}

void MainWindow::operation_report(const app::Report &report) {
    wait_->report(report, values_.cancel.load());
}

void MainWindow::set_status_line(const std::string &text) {
    status_->setText(shown_text(text));
}

void MainWindow::set_buttons(const app::ButtonStates &buttons) {
    connect_->setEnabled(buttons.connect);
    download_->setEnabled(buttons.download);
    rename_->setEnabled(buttons.rename);
    delete_->setEnabled(buttons.remove);
    disconnect_->setEnabled(buttons.disconnect);
    // Settings and format follow connect: neither may start while an operation runs.
    settings_action_->setEnabled(buttons.connect);
    format_action_->setEnabled(buttons.connect);
}

void MainWindow::set_connection_text(const std::string &text, bool) {
    link_->setText(shown_text(text));
    link_->update();
}

void MainWindow::set_space(int64_t capacity, int64_t free_space) {
    const auto clamp = [](int64_t v) {
        return static_cast<int32_t>(std::clamp<int64_t>(v, 0, INT32_MAX));
    };
    gauge_->set_space(true, clamp(capacity), clamp(free_space));
}

void MainWindow::focus_handset_tree() {
    handset_tree_->setFocus();
}

void MainWindow::focus_handset_list() {
    handset_list_->setFocus();
}

void MainWindow::show_handset_rows(const std::vector<app::HandsetRow> &rows) {
    handset_list_->clear();
    for (const app::HandsetRow &row : rows) {
        // The handset's names in its own encoding, without the controls a name may carry.
        const QString name = QString::fromStdString(app::printable_handset_text(row.name));
        handset_list_->add_row(icons_.icon(icons_.image_index(name)), name,
                               QString::fromStdString(row.size));
    }
}

int32_t MainWindow::selected_handset_row() {
    return handset_list_->selected_row();
}

void MainWindow::set_handset_row_text(int32_t row, const std::string &text) {
    handset_list_->set_row_name(row, QString::fromStdString(app::printable_handset_text(text)));
}

void MainWindow::edit_handset_row(int32_t row, const std::string &editor_text) {
    if (row < 0 || row >= handset_list_->topLevelItemCount()) {
        return;
    }
    if (editor_ != nullptr) {
        editor_->cancel();
    }
    core_->rename_edit_begin(row);
    handset_list_->scrollToItem(handset_list_->topLevelItem(row));
    editor_ = new InPlaceEditor(
        handset_list_->viewport(), handset_list_, handset_list_->row_name_rect(row),
        QString::fromStdString(app::printable_handset_text(editor_text)),
        [this, row](const std::optional<QString> &text) {
            editor_ = nullptr;
            core_->rename_edit_end(
                row, text ? std::optional<std::string>(text->toStdString()) : std::nullopt);
        });
}

void MainWindow::set_download_name_box(const std::string &text) {
    const QString value = QString::fromStdString(text);
    if (name_->text() == value) {
        // Setting the same text still runs the name check, as typing it would.
        core_->download_name_changed(text);
        return;
    }
    name_->setText(value);
}

void MainWindow::set_extension_label(const std::string &text) {
    extension_->setText(QString::fromStdString(text));
}

void MainWindow::set_pc_file_label(const std::string &text) {
    // The chosen file's name, shown as its row shows it.
    pc_file_->setText(shown_name(text));
    if (text.empty()) {
        // Nothing is chosen (another folder or file type): the panels let go of the file before,
        // so neither its picture nor its length stays on show.
        picture_->clear_picture();
        melody_->clear_source();
    }
}

void MainWindow::show_pc_files(const std::vector<app::PcFileRow> &rows) {
    pc_list_->clear();
    for (const app::PcFileRow &row : rows) {
        // Shown escaped, chosen by its bytes: a name that is not UTF-8 still opens its file.
        const QString name = shown_name(row.name);
        pc_list_->add_row(icons_.icon(icons_.image_index(name)), name, QString::number(row.size));
        pc_list_->topLevelItem(pc_list_->topLevelItemCount() - 1)
            ->setData(0, kNameBytesRole, QByteArray::fromStdString(row.name));
    }
}

void MainWindow::show_panel(app::FileType type) {
    picture_->setVisible(type == app::FileType::Picture);
    melody_->setVisible(type == app::FileType::Melody);
}

void MainWindow::open_help(const std::string &chinese_path) {
    const std::string path = guide_in_language(chinese_path);
    // The URL carries the path's bytes: a folder name that is not UTF-8 is still found.
    if (hooks_.open_url(QUrl::fromEncoded(file_url_of(path)))) {
        return;
    }
    // No browser took it: the user can still open the guide by hand.
    // The path goes in byte for byte: a folder name that is not UTF-8 must still be findable.
    std::string text = tr("无法打开帮助，请用浏览器打开帮助文件：\n%1").toStdString();
    if (const size_t at = text.find("%1"); at != std::string::npos) {
        text.replace(at, 2, path);
    }
    message_box(window_box(std::move(text), tr("帮助").toStdString(), app::BoxIcon::Information));
}

void MainWindow::show_about() {
    AboutDialog about(base_, this);
    about.setFont(font());
    hooks_.run_dialog(about);
}

std::optional<uint32_t> MainWindow::choose_port(uint32_t current) {
    PortDialog dialog(base_, current, profile_.port_devices(), detected_serial_devices(), this);
    dialog.setFont(font());
    if (hooks_.run_dialog(dialog) != QDialog::Accepted) {
        return std::nullopt;
    }
    const uint32_t port = dialog.chosen_port();
    const std::string device = dialog.chosen_device();
    const auto devices = profile_.port_devices();
    const auto it = devices.find(port);
    const std::string before = it == devices.end() ? std::string() : it->second;
    if (device != before) {
        profile_.set_port_device(port, device);
        core_->binding().set_port_device(port, device);
        // The open link may be the old device: the next operation opens the new one.
        core_->binding().forget_port();
    }
    return port;
}

// --- MediaPort ---------------------------------------------------------------------------------

void MainWindow::show_picture(const std::string &path) {
    picture_->show_picture(path);
}

void MainWindow::set_melody_source(const std::string &path) {
    melody_->set_melody_source(path);
}

app::ConversionChoice MainWindow::conversion_choice(app::FileType type, const std::string &path) {
    app::ConversionChoice choice;
    if (type == app::FileType::Picture) {
        choice.picture = picture_->choice_for(path);
    } else {
        choice.fit_melody = melody_->fit_chosen();
    }
    return choice;
}

bool MainWindow::convert_picture(const std::string &out_path, const std::string &source,
                                 const media::PictureChoice &choice) {
    refused_source_.clear();
    return picture_->convert_picture(out_path, source, choice);
}

bool MainWindow::convert_melody(const std::string &out_path, const std::string &source, bool fit) {
    refused_source_.clear();
    const bool converted = melody_->convert_selection(out_path, source, fit);
    if (!converted && melody_->last_without_notes()) {
        refused_source_ = source;
    }
    return converted;
}

app::Message MainWindow::conversion_refusal() const {
    // A melody without a note is no ring tone: the box says so under its first line.
    if (refused_source_.empty()) {
        return {};
    }
    return {app::MessageId::MelodyWithoutNotes, {refused_source_}};
}

// --- window events -------------------------------------------------------------------------------

void MainWindow::keyPressEvent(QKeyEvent *event) {
    const int key = event->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape) {
        event->accept();  // never closes the main window
        return;
    }
    QMainWindow::keyPressEvent(event);
}

void MainWindow::changeEvent(QEvent *event) {
    QMainWindow::changeEvent(event);
    if (event->type() != QEvent::ActivationChange || !isActiveWindow() || !core_ ||
        !wait_->isVisible()) {
        return;
    }
    // While an operation runs, activating the main window brings its wait window forward; with
    // none running, a wait window still showing belongs to nothing (a listing that never came)
    // and goes.
    if (!core_->busy()) {
        wait_->dismiss();
    } else if (!values_.cancel.load()) {
        wait_->raise();
        wait_->activateWindow();
    }
}

void MainWindow::dragEnterEvent(QDragEnterEvent *event) {
    // Picture and MIDI files are taken; anything else shows the refusing cursor. Files of several
    // folders or of both types are taken too, and the drop says why they cannot be chosen.
    const std::vector<std::string> paths = dropped_files(event->mimeData()->urls());
    const bool each_opens = std::all_of(paths.begin(), paths.end(), [](const std::string &path) {
        return check_outside_file(path).ok();
    });
    if (!paths.empty() && each_opens) {
        event->acceptProposedAction();
    } else {
        event->ignore();
    }
}

void MainWindow::dragMoveEvent(QDragMoveEvent *event) {
    event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent *event) {
    const std::vector<std::string> paths = dropped_files(event->mimeData()->urls());
    if (!paths.empty() && open_outside_files(paths)) {
        event->acceptProposedAction();
    } else {
        event->ignore();
    }
}

bool MainWindow::eventFilter(QObject *watched, QEvent *event) {
    if (watched == name_) {
        const QEvent::Type type = event->type();
        if (type == QEvent::DragEnter || type == QEvent::DragMove || type == QEvent::Drop) {
            auto *drag = static_cast<QDropEvent *>(event);
            if (drag->mimeData()->hasUrls()) {
                if (type == QEvent::DragEnter) {
                    dragEnterEvent(static_cast<QDragEnterEvent *>(event));
                } else if (type == QEvent::DragMove) {
                    dragMoveEvent(static_cast<QDragMoveEvent *>(event));
                } else {
                    dropEvent(drag);
                }
                return true;
            }
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::closeEvent(QCloseEvent *event) {
    if (melody_->playing()) {
        melody_->stop();
    }
    if (!torn_down_) {
        core_->teardown();
        torn_down_ = true;
    }
    wait_->hide();
    event->accept();
}

}  // namespace zemlo::shell
