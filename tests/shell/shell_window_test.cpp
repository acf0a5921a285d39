// The desktop program as a person uses it: the main window, offscreen, driven by clicks and keys,
// with the real libhandlink.so talking over a pseudo-terminal to the handset emulator. Message
// boxes and dialogs are answered by the test.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>
#include <deque>
#include <filesystem>
#include <fstream>
#include <memory>

#include "about_dialog.h"
#include "file_list_view.h"
#include "frame_animation_static.h"
#include "handsim/emulator.h"
#include "icon_button.h"
#include "in_place_editor.h"
#include "link_state_icon.h"
#include "main_window.h"
#include "main_window_layout.h"
#include "melody_conversion.h"
#include "melody_panel.h"
#include "offscreen_app.h"
#include "pc_folder_tree.h"
#include "picture_file_conversion.h"
#include "picture_panel.h"
#include "port_dialog.h"
#include "profile.h"
#include "shaded_slider.h"
#include "wait_window.h"

namespace zemlo::shell {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using app::BoxAnswer;

constexpr int kWaitMs = 20000;
constexpr uintmax_t kHandsetPictureBytes = 30748;

std::string read_bytes(const fs::path &p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string program_dir() {
    return fs::read_symlink("/proc/self/exe").parent_path().string();
}

// A MIDI file of one half-second note.
void write_midi(const fs::path &p) {
    const unsigned char bytes[] = {'M',  'T',  'h',  'd',  0,    0,   0, 6,    0,    0,  0, 1,
                                   0,    0x60, 'M',  'T',  'r',  'k', 0, 0,    0,    12, 0, 0x90,
                                   0x3c, 0x40, 0x60, 0x80, 0x3c, 0,   0, 0xff, 0x2f, 0};
    std::ofstream(p, std::ios::binary).write(reinterpret_cast<const char *>(bytes), sizeof bytes);
}

// A MIDI file of one eight-second note.
void write_long_midi(const fs::path &p) {
    const unsigned char bytes[] = {'M',  'T',  'h',  'd',  0,    0,    0, 6, 0,    0,    0, 1,
                                   0,    0x60, 'M',  'T',  'r',  'k',  0, 0, 0,    13,   0, 0x90,
                                   0x3c, 0x40, 0x8c, 0x00, 0x80, 0x3c, 0, 0, 0xff, 0x2f, 0};
    std::ofstream(p, std::ios::binary).write(reinterpret_cast<const char *>(bytes), sizeof bytes);
}

class WindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        test::ensure_app();
        char tmpl[] = "/tmp/zemlo-shell-XXXXXX";
        dir_ = ::mkdtemp(tmpl);
        ::setenv("ZEMLO_WORK_DIR", (dir_ / "work").c_str(), 1);
        ::setenv("ZEMLO_AUDIO_WAV", (dir_ / "played.wav").c_str(), 1);
        // The PC tree's first place is home: the test's files are there.
        home_ = dir_ / "home";
        fs::create_directories(home_);
        ::setenv("HOME", home_.c_str(), 1);
        QImage picture(150, 100, QImage::Format_RGB32);
        picture.fill(QColor(200, 40, 40));
        ASSERT_TRUE(picture.save(QString::fromStdString((home_ / "photo.bmp").string())));
        write_midi(home_ / "tune.mid");
        std::ofstream(home_ / "notes.txt") << "not a picture";
        store_ = dir_ / "store";
        fs::create_directories(store_ / "pic");
        fs::create_directories(store_ / "melody");
    }

    void TearDown() override {
        window_.reset();
        if (sim_) {
            sim_->stop();
        }
        std::error_code ec;
        fs::remove_all(dir_, ec);
    }

    void start_handset() {
        handsim::EmulatorOptions o;
        o.link_path = (dir_ / "ttyHS").string();
        o.store_dir = store_.string();
        o.restart_quiet = 300ms;
        sim_ = std::make_unique<handsim::Emulator>(o);
        std::string error;
        ASSERT_TRUE(sim_->start(&error)) << error;
        profile_.set_port_device(3, o.link_path);
    }

    void open_window(const std::string &module_dir = program_dir()) {
        WindowHooks hooks;
        hooks.box = [this](const app::MessageBoxDetails &box, QWidget *) {
            boxes_.push_back(box.caption + " " + box.text);
            if (box.buttons == app::BoxButtons::OkCancel && !answers_.empty()) {
                const BoxAnswer a = answers_.front();
                answers_.pop_front();
                return a;
            }
            return BoxAnswer::Ok;
        };
        hooks.run_dialog = [this](QDialog &d) { return dialog_script_ ? dialog_script_(d) : 0; };
        hooks.open_url = [this](const QUrl &url) {
            opened_.push_back(url);
            return browser_;
        };
        window_ = std::make_unique<MainWindow>(profile_, module_dir, hooks);
        loaded_ = window_->initialise();
        window_->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
        ASSERT_TRUE(QTest::qWaitFor([&] { return window_->browser_ready(); }, kWaitMs));
        window_->core().set_format_timing({100ms, 5s});
    }

    MainWindow &w() { return *window_; }

    void activate() {
        window_->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get()));
    }

    // A key as the keyboard sends it: to the open menu, else to the widget with the focus.
    void key(Qt::Key k, Qt::KeyboardModifiers modifiers = {}) {
        QWidget *target = QApplication::activePopupWidget();
        if (target == nullptr) {
            target = QApplication::focusWidget();
        }
        QTest::keyClick(target != nullptr ? target : window_.get(), k, modifiers);
    }

    // Tabs until the widget has the focus; false when the chain never reaches it.
    bool tab_to(QWidget *widget) {
        for (int i = 0; i < 30 && QApplication::focusWidget() != widget; ++i) {
            key(Qt::Key_Tab);
        }
        return QApplication::focusWidget() == widget;
    }

    // The controls' names in the order Tab (or Shift+Tab) visits them from the file type box
    // until the focus comes back to it.
    QStringList tab_chain(Qt::KeyboardModifiers modifiers = {}) {
        const std::vector<std::pair<QWidget *, QString>> names = {
            {w().parts().file_type_box, "type"},
            {w().parts().pc_tree, "pc tree"},
            {w().parts().pc_list, "pc list"},
            {w().parts().picture_panel->effect_box(), "effect"},
            {w().parts().picture_panel->area(), "picture"},
            {w().parts().picture_panel->dither_box(), "dither"},
            {w().parts().melody_panel->slider(), "slider"},
            {w().parts().melody_panel->play_button(), "play"},
            {w().parts().melody_panel->stop_button(), "stop"},
            {w().parts().melody_panel->fit_box(), "fit"},
            {w().parts().name_box, "name"},
            {w().parts().handset_tree, "handset tree"},
            {w().parts().handset_list, "handset list"},
            {w().parts().connect_button, "连接"},
            {w().parts().download_button, "下载"},
            {w().parts().rename_button, "重命名"},
            {w().parts().delete_button, "删除"},
            {w().parts().disconnect_button, "断开"}};
        const auto name_of = [&](QWidget *widget) {
            for (const auto &[candidate, name] : names) {
                if (candidate == widget) {
                    return name;
                }
            }
            return widget == nullptr ? QStringLiteral("(none)")
                                     : QString::fromLatin1(widget->metaObject()->className());
        };
        w().parts().file_type_box->setFocus(Qt::TabFocusReason);
        QStringList chain{name_of(QApplication::focusWidget())};
        for (int i = 0; i < 30; ++i) {
            key(Qt::Key_Tab, modifiers);
            if (QApplication::focusWidget() == w().parts().file_type_box) {
                break;
            }
            chain << name_of(QApplication::focusWidget());
        }
        return chain;
    }

    void click(QAbstractButton *button) { QTest::mouseClick(button, Qt::LeftButton); }

    void click_row(FileListView *list, const QString &name) {
        for (int row = 0; row < list->topLevelItemCount(); ++row) {
            if (list->topLevelItem(row)->text(0) == name) {
                const QRect r = list->row_name_rect(row);
                QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, r.center());
                return;
            }
        }
        ADD_FAILURE() << "no row " << name.toStdString();
    }

    QStringList rows(FileListView *list) const {
        QStringList out;
        for (int row = 0; row < list->topLevelItemCount(); ++row) {
            out << list->topLevelItem(row)->text(0);
        }
        return out;
    }

    std::string buttons() const {
        std::string s;
        for (QWidget *b : {window_->parts().connect_button, window_->parts().download_button,
                           window_->parts().rename_button, window_->parts().delete_button,
                           window_->parts().disconnect_button}) {
            s += b->isEnabled() ? '1' : '0';
        }
        return s;
    }

    bool saw_box(const std::string &line) const {
        return std::find(boxes_.begin(), boxes_.end(), line) != boxes_.end();
    }

    bool idle() {
        return QTest::qWaitFor([&] { return !w().core().busy(); }, kWaitMs);
    }

    // Hands the window what the worker posted before it ended: once it is idle, every report is
    // already queued, so one pass over the queue shows them all, as a later one would.
    static void delivered() {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
    }

    void connect_handset() {
        click(w().parts().connect_button);
        ASSERT_TRUE(QTest::qWaitFor(
            [&] { return w().parts().status_line->text() == QStringLiteral("连接手机成功"); },
            kWaitMs))
            << w().parts().status_line->text().toStdString();
        ASSERT_TRUE(idle());
    }

    // Chooses photo.bmp, lets the panel draw it, and types the download name.
    void choose_photo(const QString &name) {
        click_row(w().parts().pc_list, QStringLiteral("photo.bmp"));
        ASSERT_TRUE(
            QTest::qWaitFor([&] { return w().parts().picture_panel->captured(); }, kWaitMs));
        w().parts().name_box->clear();
        QTest::keyClicks(w().parts().name_box, name);
    }

    fs::path dir_, home_, store_;
    app::MemoryProfile profile_;
    std::unique_ptr<handsim::Emulator> sim_;
    std::unique_ptr<MainWindow> window_;
    bool loaded_ = false;
    std::vector<std::string> boxes_;
    std::deque<BoxAnswer> answers_;
    std::function<int(QDialog &)> dialog_script_;
    std::vector<QUrl> opened_;
    bool browser_ = true;  // whether the desktop had a browser to open a URL
};

TEST_F(WindowTest, StartsUsableWithoutTheDeviceLibrary) {
    open_window((dir_ / "empty").string());
    EXPECT_FALSE(loaded_);
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0], "确认 加载libhandlink.so文件错误!");
    EXPECT_EQ(w().parts().link_icon->text(), QStringLiteral("   COM3未连接"));
    EXPECT_EQ(buttons(), "10000");
    // Browsing still works, and neither Return nor Escape closes the window.
    EXPECT_EQ(rows(w().parts().pc_list), QStringList() << "photo.bmp");
    QTest::keyClick(window_.get(), Qt::Key_Escape);
    QTest::keyClick(window_.get(), Qt::Key_Return);
    EXPECT_TRUE(w().isVisible());
    // Connecting then fails with a message, not a hang.
    click(w().parts().connect_button);
    ASSERT_TRUE(idle());
    EXPECT_EQ(buttons(), "10000");
}

TEST_F(WindowTest, FileTypeSwapsPanelsListsAndExtension) {
    open_window();
    EXPECT_EQ(w().parts().file_type_box->currentText(), QStringLiteral("图像文件"));
    EXPECT_TRUE(w().parts().picture_panel->isVisible());
    EXPECT_FALSE(w().parts().melody_panel->isVisible());
    EXPECT_EQ(w().parts().extension_label->text(), QStringLiteral(".bmp"));
    click_row(w().parts().pc_list, QStringLiteral("photo.bmp"));
    EXPECT_EQ(w().parts().pc_file_label->text(), QStringLiteral("photo.bmp"));

    w().parts().file_type_box->setCurrentIndex(1);
    EXPECT_FALSE(w().parts().picture_panel->isVisible());
    EXPECT_TRUE(w().parts().melody_panel->isVisible());
    EXPECT_EQ(w().parts().melody_panel->geometry(), w().parts().picture_panel->geometry());
    EXPECT_EQ(w().parts().extension_label->text(), QStringLiteral(".mid"));
    EXPECT_EQ(rows(w().parts().pc_list), QStringList() << "tune.mid");
    EXPECT_TRUE(w().parts().pc_file_label->text().isEmpty());
    EXPECT_TRUE(w().core().selected_pc_file().empty());
    EXPECT_EQ(w().core().download_folder(), "a:\\pcdlw\\melody");

    // A right-click chooses like a click and opens no menu.
    QTest::mouseClick(w().parts().pc_list->viewport(), Qt::RightButton, {},
                      w().parts().pc_list->row_name_rect(0).center());
    EXPECT_EQ(w().parts().pc_file_label->text(), QStringLiteral("tune.mid"));
    EXPECT_EQ(w().core().selected_pc_file(), (home_ / "tune.mid").string());
}

TEST_F(WindowTest, FolderTreeReadsEachLevelOnceAndListsTheChosenFolder) {
    fs::create_directories(home_ / "sub" / "deeper");
    fs::create_directories(home_ / ".hidden");
    std::ofstream(home_ / "sub" / "b.GIF") << "x";
    std::ofstream(home_ / "sub" / "a.bmp") << "xy";
    open_window();
    QTreeWidgetItem *home = w().parts().pc_tree->topLevelItem(0);
    ASSERT_NE(home, nullptr);
    EXPECT_EQ(home->text(0), QStringLiteral("主目录"));
    ASSERT_EQ(home->childCount(), 1);  // folders only, hidden ones left out
    QTreeWidgetItem *sub = home->child(0);
    EXPECT_EQ(sub->text(0), QStringLiteral("sub"));
    // The expand button shows before the level below has been read.
    EXPECT_EQ(sub->childIndicatorPolicy(), QTreeWidgetItem::ShowIndicator);
    EXPECT_EQ(sub->childCount(), 0);

    click_row(w().parts().pc_list, QStringLiteral("photo.bmp"));
    w().parts().pc_tree->setCurrentItem(sub);
    EXPECT_TRUE(w().parts().pc_file_label->text().isEmpty());
    EXPECT_TRUE(w().core().selected_pc_file().empty());
    // Reverse enumeration order, sizes in bytes; the type is judged in lower case.
    QStringList sizes;
    for (int row = 0; row < w().parts().pc_list->topLevelItemCount(); ++row) {
        sizes << w().parts().pc_list->topLevelItem(row)->text(1);
    }
    EXPECT_EQ(rows(w().parts().pc_list).size(), 2);
    EXPECT_TRUE(rows(w().parts().pc_list).contains(QStringLiteral("b.GIF")));
    EXPECT_TRUE(sizes.contains(QStringLiteral("2")));

    // A folder made later does not show: each level is read once.
    w().parts().pc_tree->expandItem(sub);
    ASSERT_TRUE(QTest::qWaitFor([&] { return w().browser_ready(); }, kWaitMs));
    EXPECT_EQ(sub->childCount(), 1);
    fs::create_directories(home_ / "sub" / "later");
    w().parts().pc_tree->collapseItem(sub);
    w().parts().pc_tree->expandItem(sub);
    ASSERT_TRUE(QTest::qWaitFor([&] { return w().browser_ready(); }, kWaitMs));
    EXPECT_EQ(sub->childCount(), 1);
}

TEST_F(WindowTest, ChoosingFilesAndTheDownloadNameRule) {
    open_window();
    // Down with no row selected chooses the first row; Up on it chooses nothing new.
    w().parts().pc_list->setFocus();
    QTest::keyClick(w().parts().pc_list, Qt::Key_Down);
    EXPECT_EQ(w().parts().pc_file_label->text(), QStringLiteral("photo.bmp"));
    QTest::keyClick(w().parts().pc_list, Qt::Key_Up);
    EXPECT_EQ(w().core().selected_pc_file(), (home_ / "photo.bmp").string());
    // Choosing briefly disables the buttons and gives them back for the state (not connected).
    EXPECT_EQ(buttons(), "10000");
    ASSERT_TRUE(QTest::qWaitFor([&] { return w().parts().picture_panel->captured(); }, kWaitMs));
    // In the window's own folder inside the work folder.
    bool capture_written = false;
    for (const auto &e : fs::recursive_directory_iterator(dir_ / "work")) {
        capture_written = capture_written || e.path().filename() == "tmp.bmp";
    }
    EXPECT_TRUE(capture_written);
    // Changing the effect makes the next drawing write the capture again.
    w().parts().picture_panel->effect_box()->setCurrentIndex(1);
    EXPECT_FALSE(w().parts().picture_panel->captured());
    ASSERT_TRUE(QTest::qWaitFor([&] { return w().parts().picture_panel->captured(); }, kWaitMs));

    // Letters and digits only, at most eight: a bad name is refused and corrected in the box.
    QTest::keyClicks(w().parts().name_box, QStringLiteral("ab"));
    EXPECT_TRUE(boxes_.empty());
    EXPECT_EQ(w().core().download_name(), "ab");
    QTest::keyClicks(w().parts().name_box, QStringLiteral("-"));
    EXPECT_TRUE(saw_box(
        "确认 请输入字母和数字组成的文件名!\n手机的文件名最多8个字符，只能用英文字母和数字"));
    EXPECT_EQ(w().parts().name_box->text(), QStringLiteral("ab"));
    boxes_.clear();
    QTest::keyClicks(w().parts().name_box, QStringLiteral("1234567"));
    EXPECT_TRUE(saw_box("确认 文件名太长!\n手机的文件名最多8个字符，只能用英文字母和数字"));
    EXPECT_EQ(w().parts().name_box->text().size(), 8);
    EXPECT_EQ(w().core().download_name(), w().parts().name_box->text().toStdString());
}

TEST_F(WindowTest, PictureDownloadClickedThroughThenRenamedInPlace) {
    start_handset();
    open_window();
    EXPECT_EQ(w().parts().link_icon->text(), QStringLiteral("   COM3未连接"));
    connect_handset();
    EXPECT_EQ(buttons(), "11111");
    EXPECT_EQ(w().parts().link_icon->text(), QStringLiteral("   COM3已连接"));
    EXPECT_FALSE(w().parts().wait_window->isVisible());

    choose_photo(QStringLiteral("abc"));
    answers_ = {BoxAnswer::Ok, BoxAnswer::Ok, BoxAnswer::Ok};
    click(w().parts().download_button);
    ASSERT_TRUE(idle());
    const std::string source = (home_ / "photo.bmp").string();
    EXPECT_TRUE(
        saw_box("确认 你确定要下载文件\"" + source + "\"到\"abc.bmp\"吗?(若有同名文件则覆盖)"));
    EXPECT_EQ(w().parts().status_line->text().toStdString(), "文件\"" + source + "\"下载成功");
    ASSERT_TRUE(fs::exists(store_ / "pic" / "abc.bmp"));
    EXPECT_EQ(fs::file_size(store_ / "pic" / "abc.bmp"), kHandsetPictureBytes);
    EXPECT_EQ(rows(w().parts().handset_list), QStringList() << "abc.bmp");
    EXPECT_FALSE(w().parts().wait_window->isVisible());
    EXPECT_EQ(buttons(), "11111");

    // Clicking the handset row proposes its name; rename edits the row in place.
    w().parts().name_box->clear();
    click_row(w().parts().handset_list, QStringLiteral("abc.bmp"));
    EXPECT_EQ(w().parts().name_box->text(), QStringLiteral("abc"));
    click(w().parts().rename_button);
    InPlaceEditor *editor = w().parts().rename_editor;
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->text(), QStringLiteral("abc"));
    editor->selectAll();
    QTest::keyClicks(editor, QStringLiteral("xyz"));
    answers_ = {BoxAnswer::Ok};
    QTest::keyClick(editor, Qt::Key_Return);
    EXPECT_TRUE(saw_box("确认 你确定要将\"abc.bmp\"改为\"xyz.bmp\"吗？"));
    ASSERT_TRUE(idle());
    ASSERT_TRUE(QTest::qWaitFor([&] { return fs::exists(store_ / "pic" / "xyz.bmp"); }, kWaitMs));
    EXPECT_EQ(rows(w().parts().handset_list), QStringList() << "xyz.bmp");

    // Escape in the editor changes nothing.
    w().parts().handset_list->select_row(0);
    click(w().parts().rename_button);
    ASSERT_NE(w().parts().rename_editor, nullptr);
    boxes_.clear();
    QTest::keyClick(w().parts().rename_editor, Qt::Key_Escape);
    EXPECT_TRUE(boxes_.empty());
    EXPECT_EQ(rows(w().parts().handset_list), QStringList() << "xyz.bmp");
}

TEST_F(WindowTest, SeveralFilesChosenWithCtrlClickDownloadInOneGo) {
    fs::copy_file(home_ / "photo.bmp", home_ / "second.bmp");
    start_handset();
    open_window();
    connect_handset();
    click_row(w().parts().pc_list, QStringLiteral("photo.bmp"));
    FileListView *list = w().parts().pc_list;
    for (int row = 0; row < list->topLevelItemCount(); ++row) {
        if (list->topLevelItem(row)->text(0) == QStringLiteral("second.bmp")) {
            QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::ControlModifier,
                              list->row_name_rect(row).center());
        }
    }
    EXPECT_EQ(w().parts().pc_file_label->text(), QStringLiteral("photo.bmp  second.bmp"));
    answers_ = {BoxAnswer::Ok, BoxAnswer::Ok};
    click(w().parts().download_button);
    ASSERT_TRUE(idle());
    EXPECT_TRUE(
        saw_box("确认 你确定要下载这2个文件到手机的\"a:\\pcdlw\\pic\"吗?(若有同名文件则覆盖)"));
    EXPECT_TRUE(saw_box("确认 这2个文件传送后全部保存、不预览吗?(取消则每个文件传送后逐个询问)"));
    EXPECT_EQ(w().parts().status_line->text(), QStringLiteral("2个文件中有2个下载成功："));
    ASSERT_TRUE(fs::exists(store_ / "pic" / "photo.bmp"));
    ASSERT_TRUE(fs::exists(store_ / "pic" / "second.bmp"));
    EXPECT_EQ(fs::file_size(store_ / "pic" / "second.bmp"), kHandsetPictureBytes);
    EXPECT_EQ(rows(w().parts().handset_list), QStringList() << "photo.bmp"
                                                            << "second.bmp");
    EXPECT_FALSE(w().parts().wait_window->isVisible());
    EXPECT_EQ(buttons(), "11111");

    // A plain click chooses one file again: the next download is the single one.
    click_row(list, QStringLiteral("second.bmp"));
    EXPECT_EQ(w().parts().pc_file_label->text(), QStringLiteral("second.bmp"));
}

// A file manager's drop of several files chooses them all, as Ctrl-clicks would; one download
// sends them, the wait window naming each (a long name cut in its middle). An incoming call
// stops them: its box, then the summary of what arrived.
TEST_F(WindowTest, SeveralFilesDroppedGoInOneDownloadAndAnEventEndsWithTheSummary) {
    const std::string long_name =
        "a photo with a name far too long for the wait window to show it whole.bmp";
    fs::copy_file(home_ / "photo.bmp", home_ / long_name);
    fs::copy_file(home_ / "photo.bmp", home_ / "third.bmp");
    start_handset();
    open_window();
    connect_handset();
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QString::fromStdString((home_ / "photo.bmp").string())),
                  QUrl::fromLocalFile(QString::fromStdString((home_ / long_name).string())),
                  QUrl::fromLocalFile(QString::fromStdString((home_ / "third.bmp").string()))});
    const QPoint at = w().rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&w(), &enter);
    ASSERT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&w(), &drop);
    ASSERT_TRUE(drop.isAccepted());
    QStringList chosen;
    for (const QTreeWidgetItem *item : w().parts().pc_list->selectedItems()) {
        chosen << item->text(0);
    }
    chosen.sort();
    EXPECT_EQ(chosen, (QStringList{QString::fromStdString(long_name), "photo.bmp", "third.bmp"}));

    ASSERT_TRUE(sim_->control("delay 20"));
    answers_ = {BoxAnswer::Ok, BoxAnswer::Ok};
    click(w().parts().download_button);
    EXPECT_TRUE(
        saw_box("确认 你确定要下载这3个文件到手机的\"a:\\pcdlw\\pic\"吗?(若有同名文件则覆盖)"));
    // The list's order: the long name first.
    WaitWindow *wait = w().parts().wait_window;
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            const QString text = wait->text_label()->text();
            return text.startsWith(QStringLiteral("文件1/3：")) && text.contains("正在发送第");
        },
        kWaitMs));
    const QStringList lines = wait->text_label()->text().split('\n');
    ASSERT_EQ(lines.size(), 2);
    EXPECT_TRUE(lines[0].startsWith(QStringLiteral("文件1/3：a photo"))) << lines[0].toStdString();
    EXPECT_TRUE(lines[0].contains(QChar(0x2026))) << lines[0].toStdString();
    EXPECT_TRUE(lines[0].endsWith(QStringLiteral(".bmp"))) << lines[0].toStdString();
    EXPECT_LE(wait->text_label()->fontMetrics().horizontalAdvance(lines[0]),
              wait->text_label()->width());
    EXPECT_TRUE(lines[1].startsWith(QStringLiteral("正在发送第"))) << lines[1].toStdString();
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            return wait->text_label()->text().startsWith(
                QStringLiteral("文件2/3：photo.bmp\n正在发送第"));
        },
        kWaitMs));

    ASSERT_TRUE(sim_->control("event 1"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return saw_box("确认 手机来电，中断操作！"); }, kWaitMs));
    ASSERT_TRUE(idle());
    delivered();
    const auto event_box = std::find(boxes_.begin(), boxes_.end(), "确认 手机来电，中断操作！");
    const auto summary = std::find_if(boxes_.begin(), boxes_.end(), [](const std::string &b) {
        return b.rfind("确认 3个文件中有1个下载成功：\n", 0) == 0;
    });
    ASSERT_NE(summary, boxes_.end());
    EXPECT_LT(event_box, summary);
    for (const std::string line : {"photo.bmp → photo.bmp：未下载完",
                                   "third.bmp → third.bmp：未发送：手机来电，中断操作！"}) {
        EXPECT_NE(summary->find(line), std::string::npos) << *summary;
    }
    EXPECT_EQ(w().parts().status_line->text(), QStringLiteral("3个文件中有1个下载成功："));
    std::vector<std::string> kept;
    for (const auto &entry : fs::directory_iterator(store_ / "pic")) {
        kept.push_back(entry.path().filename().string());
    }
    EXPECT_EQ(kept, std::vector<std::string>{"aphoto.bmp"});
    EXPECT_EQ(fs::file_size(store_ / "pic" / "aphoto.bmp"), kHandsetPictureBytes);
    EXPECT_EQ(buttons(), "10000");
}

TEST_F(WindowTest, AFileThatCannotBeShownIsNeverDownloadedAsTheEarlierPicture) {
    std::ofstream(home_ / "notapic.jpg") << "this is text, not a picture";
    std::ofstream(home_ / "empty.bmp");
    // A capture an earlier run left behind.
    fs::create_directories(dir_ / "work");
    fs::copy_file(home_ / "photo.bmp", dir_ / "work" / "tmp.bmp");
    start_handset();
    open_window();
    connect_handset();

    // First thing chosen cannot be shown: the old run's capture is not sent.
    click_row(w().parts().pc_list, QStringLiteral("empty.bmp"));
    QTest::keyClicks(w().parts().name_box, QStringLiteral("stale"));
    answers_ = {BoxAnswer::Ok};
    click(w().parts().download_button);
    ASSERT_TRUE(idle());
    EXPECT_TRUE(saw_box("确认 转换图形文件失败"));
    EXPECT_FALSE(fs::exists(store_ / "pic" / "stale.bmp"));

    // A good picture, then one that cannot be decoded: the panel says the file could not be
    // read (not that nothing is chosen), and nothing is sent.
    choose_photo(QStringLiteral("abc"));
    for (const QString &bad : {QStringLiteral("notapic.jpg"), QStringLiteral("empty.bmp")}) {
        SCOPED_TRACE(bad.toStdString());
        click_row(w().parts().pc_list, bad);
        ASSERT_TRUE(QTest::qWaitFor([&] { return w().parts().picture_panel->settled(); }, kWaitMs));
        EXPECT_FALSE(w().parts().picture_panel->has_picture());
        EXPECT_EQ(w().parts().picture_panel->area()->status_text(),
                  QStringLiteral("无法读取该图片"));
        boxes_.clear();
        answers_ = {BoxAnswer::Ok, BoxAnswer::Ok, BoxAnswer::Ok};
        click(w().parts().download_button);
        ASSERT_TRUE(idle());
        EXPECT_TRUE(saw_box("确认 转换图形文件失败"));
        EXPECT_FALSE(w().parts().status_line->text().contains(QStringLiteral("下载成功")));
        EXPECT_FALSE(fs::exists(store_ / "pic" / "abc.bmp"));
    }
    EXPECT_EQ(buttons(), "11111");

    // The melody side: a MIDI file that cannot be read never sends the melody before it.
    std::ofstream(home_ / "broken.mid") << "not midi at all";
    w().parts().file_type_box->setCurrentIndex(1);
    click_row(w().parts().pc_list, QStringLiteral("tune.mid"));
    click_row(w().parts().pc_list, QStringLiteral("broken.mid"));
    boxes_.clear();
    answers_ = {BoxAnswer::Ok, BoxAnswer::Ok, BoxAnswer::Ok};
    click(w().parts().download_button);
    ASSERT_TRUE(idle());
    EXPECT_TRUE(saw_box("确认 转换MIDI文件失败！"));
    EXPECT_FALSE(fs::exists(store_ / "melody" / "abc.mid"));
}

// A photo framed by hand in the panel (cover, zoomed and moved with the keys) is sent exactly as
// framed: the same bytes as the command line's conversion of the crop the panel shows. Clicking
// through many photos faster than they decode ends with the last one shown.
TEST_F(WindowTest, APhotoFramedByHandIsSentAsFramedAndTheNewestClickWins) {
    QImage photo(1600, 1200, QImage::Format_RGB32);
    {
        QPainter p(&photo);
        QLinearGradient g(0, 0, 1600, 1200);
        g.setColorAt(0, QColor(20, 60, 160));
        g.setColorAt(1, QColor(250, 200, 40));
        p.fillRect(photo.rect(), g);
        p.fillRect(QRect(1000, 300, 200, 500), QColor(10, 120, 30));
    }
    const fs::path wide = home_ / "wide.jpg";
    ASSERT_TRUE(photo.save(QString::fromStdString(wide.string()), "JPG", 90));
    for (int i = 0; i < 20; ++i) {
        fs::copy_file(wide, home_ / ("click" + std::to_string(i) + ".jpg"));
    }
    start_handset();
    open_window();
    connect_handset();
    PicturePanel *panel = w().parts().picture_panel;

    // Twenty photos chosen one after another at once: the last one shows.
    FileListView *list = w().parts().pc_list;
    for (int i = 0; i < 20; ++i) {
        for (int row = 0; row < list->topLevelItemCount(); ++row) {
            if (list->topLevelItem(row)->text(0) == QStringLiteral("click%1.jpg").arg(i)) {
                list->select_row(row);
                emit list->row_chosen(row);
            }
        }
    }
    ASSERT_TRUE(QTest::qWaitFor([&] { return panel->settled() && panel->has_picture(); }, kWaitMs));
    EXPECT_EQ(panel->path(), (home_ / "click19.jpg").string());
    EXPECT_LT(panel->decode_counts().started, 20u);

    // Covered, twice closer, moved right, with the keys.
    click_row(list, QStringLiteral("wide.jpg"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return panel->settled() && panel->has_picture(); }, kWaitMs));
    panel->effect_box()->setCurrentIndex(2);
    panel->area()->setFocus();
    for (Qt::Key k : {Qt::Key_Plus, Qt::Key_Plus, Qt::Key_Plus, Qt::Key_Right, Qt::Key_Right}) {
        QTest::keyClick(panel->area(), k);
    }
    ASSERT_TRUE(QTest::qWaitFor([&] { return panel->settled(); }, kWaitMs));
    const std::optional<media::PixelRect> crop = panel->crop();
    ASSERT_TRUE(crop);
    EXPECT_LT(crop->width, 1200 / 1.9);
    EXPECT_EQ(panel->zoom_label()->text(), QStringLiteral("缩放 195%"));
    EXPECT_TRUE(panel->area()->toolTip().startsWith(QStringLiteral("取景 %1,%2,%3,%4")
                                                        .arg(crop->left)
                                                        .arg(crop->top)
                                                        .arg(crop->width)
                                                        .arg(crop->height)));

    w().parts().name_box->clear();
    QTest::keyClicks(w().parts().name_box, QStringLiteral("framed"));
    answers_ = {BoxAnswer::Ok, BoxAnswer::Ok, BoxAnswer::Ok};
    click(w().parts().download_button);
    ASSERT_TRUE(idle());
    ASSERT_TRUE(fs::exists(store_ / "pic" / "framed.bmp"));
    media::PictureChoice choice;
    choice.effect = media::DisplayEffect::Cover;
    choice.framing.crop = crop;
    const fs::path alone = dir_ / "alone.dwn";
    ASSERT_TRUE(media::convert_picture_file(wide.string(), alone.string(), choice).ok);
    EXPECT_TRUE(read_bytes(store_ / "pic" / "framed.bmp") == read_bytes(alone));
    // The whole photo covered is another picture.
    choice.framing.crop.reset();
    ASSERT_TRUE(media::convert_picture_file(wide.string(), alone.string(), choice).ok);
    EXPECT_FALSE(read_bytes(store_ / "pic" / "framed.bmp") == read_bytes(alone));

    // 0 starts again from the effect; the frame of another effect is its own.
    QTest::keyClick(panel->area(), Qt::Key_0);
    EXPECT_FALSE(panel->crop());
    EXPECT_EQ(panel->zoom_label()->text(), QStringLiteral("缩放 100%"));
}

// A melody over the handset's limit: the panel says so before the download, and with the cut
// chosen shows what remains and sends exactly the cut melody.
TEST_F(WindowTest, AMelodyOverTheLimitIsShownSoAndSentCutWhenChosen) {
    // 9000 half-second notes, running status: 63 KB of MIDI, over 50 KB once converted.
    std::string track = {'\x00', '\xFF', '\x51', '\x03', '\x07', '\xA1', '\x20', '\x00', '\x90'};
    for (int i = 0; i < 9000; ++i) {
        const char key = static_cast<char>(48 + i % 24);
        track += std::string{key, 100, '\x83', '\x60', key, 0, 0};
    }
    track.pop_back();  // the last delta belongs to the end of the track
    track += std::string{0, '\xFF', '\x2F', 0};
    std::string file = {'M', 'T', 'h', 'd',    0,      0,   0,   6,   0,
                        0,   0,   1,   '\x01', '\xE0', 'M', 'T', 'r', 'k'};
    for (int shift : {24, 16, 8, 0}) {
        file += static_cast<char>((track.size() >> shift) & 0xFF);
    }
    std::ofstream(home_ / "long.mid", std::ios::binary) << file + track;
    start_handset();
    open_window();
    connect_handset();
    MelodyPanel *panel = w().parts().melody_panel;
    w().parts().file_type_box->setCurrentIndex(1);
    click_row(w().parts().pc_list, QStringLiteral("long.mid"));
    EXPECT_TRUE(panel->size_label()->text().endsWith(QStringLiteral(" / 51200 字节，超出上限")))
        << panel->size_label()->text().toStdString();
    EXPECT_EQ(panel->cut_label()->text(), QStringLiteral("可以选择截短"));

    // Refused as it is: nothing sent.
    answers_ = {BoxAnswer::Ok, BoxAnswer::Ok, BoxAnswer::Ok};
    w().parts().name_box->clear();
    QTest::keyClicks(w().parts().name_box, QStringLiteral("long"));
    click(w().parts().download_button);
    ASSERT_TRUE(idle());
    EXPECT_FALSE(fs::exists(store_ / "melody" / "long.mid"));

    // Cut: within the limit, and what remains said.
    panel->fit_box()->setChecked(true);
    const QString size = panel->size_label()->text();
    ASSERT_TRUE(size.endsWith(QStringLiteral(" / 51200 字节"))) << size.toStdString();
    EXPECT_LE(size.section(u' ', 0, 0).toInt(), 51200);
    EXPECT_TRUE(panel->cut_label()->text().startsWith(QStringLiteral("已截短：保留")));
    EXPECT_TRUE(panel->cut_label()->text().endsWith(QStringLiteral("/共4500.0秒")))
        << panel->cut_label()->text().toStdString();
    answers_ = {BoxAnswer::Ok, BoxAnswer::Ok, BoxAnswer::Ok};
    click(w().parts().download_button);
    ASSERT_TRUE(idle());
    ASSERT_TRUE(fs::exists(store_ / "melody" / "long.mid"));
    const fs::path alone = dir_ / "alone.mid";
    media::MelodyOptions fit;
    fit.fit_limit = 51200;
    ASSERT_TRUE(
        media::convert_melody_file((home_ / "long.mid").string(), alone.string(), fit).written);
    EXPECT_EQ(fs::file_size(alone), static_cast<uintmax_t>(size.section(u' ', 0, 0).toInt()));
    EXPECT_TRUE(read_bytes(store_ / "melody" / "long.mid") == read_bytes(alone));
}

TEST_F(WindowTest, SettingsAndFormatAreDisabledWhileAnOperationRuns) {
    start_handset();
    open_window();
    connect_handset();
    EXPECT_TRUE(w().parts().settings_action->isEnabled());
    EXPECT_TRUE(w().parts().format_action->isEnabled());
    choose_photo(QStringLiteral("slow"));
    ASSERT_TRUE(sim_->control("delay 150"));
    answers_ = {BoxAnswer::Ok};
    click(w().parts().download_button);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return w().parts().wait_window->text_label()->text().contains("第2个"); }, kWaitMs));
    EXPECT_FALSE(w().parts().settings_action->isEnabled());
    EXPECT_FALSE(w().parts().format_action->isEnabled());
    click(w().parts().wait_window->cancel_button());
    ASSERT_TRUE(idle());
    ASSERT_TRUE(QTest::qWaitFor([&] { return w().parts().settings_action->isEnabled(); }, kWaitMs));
    EXPECT_TRUE(w().parts().format_action->isEnabled());
}

// "格式化成功" only once the handset lists an empty store after its restart; the wait window's
// Cancel while the handset restarts ends the format at once, not confirmed and not connected.
TEST_F(WindowTest, FormatIsReportedOnlyOnceTheEmptyStoreIsSeenAndItsWaitCanBeCancelled) {
    const std::string done = "确认 格式化成功";
    std::ofstream(store_ / "pic" / "abc.bmp") << std::string(100, 'x');
    start_handset();
    open_window();
    connect_handset();
    ASSERT_EQ(rows(w().parts().handset_list), QStringList{"abc.bmp"});
    ASSERT_TRUE(sim_->control("silent format"));

    // A restart wait far longer than the test: only Cancel ends it in time.
    w().core().set_format_timing({60s, 60s});
    answers_ = {BoxAnswer::Ok};
    w().parts().format_action->trigger();
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return w().parts().wait_window->text_label()->text() == "正在重启..."; }, kWaitMs));
    click(w().parts().wait_window->cancel_button());
    ASSERT_TRUE(idle());
    delivered();
    EXPECT_EQ(w().parts().status_line->text().toStdString(),
              "格式化命令已发出，但手机没有确认。请重新连接手机，查看文件是否已清除");
    EXPECT_FALSE(saw_box(done));
    EXPECT_EQ(buttons(), "10000");
    EXPECT_TRUE(rows(w().parts().handset_list).isEmpty());

    // Ignored: the handset comes back with its file, and the window shows it.
    w().core().set_format_timing({100ms, 5s});
    connect_handset();
    answers_ = {BoxAnswer::Ok};
    w().parts().format_action->trigger();
    ASSERT_TRUE(idle());
    delivered();
    EXPECT_TRUE(saw_box("确认 手机没有格式化：文件仍在手机上"));
    EXPECT_FALSE(saw_box(done));
    EXPECT_EQ(rows(w().parts().handset_list), QStringList{"abc.bmp"});
    EXPECT_EQ(buttons(), "11111");

    ASSERT_TRUE(sim_->control("answer format"));
    answers_ = {BoxAnswer::Ok};
    w().parts().format_action->trigger();
    ASSERT_TRUE(idle());
    delivered();
    EXPECT_TRUE(saw_box(done));
    EXPECT_TRUE(rows(w().parts().handset_list).isEmpty());
    EXPECT_FALSE(fs::exists(store_ / "pic" / "abc.bmp"));
    EXPECT_EQ(buttons(), "11111");
}

TEST_F(WindowTest, AListingThatNeverComesEndsTheConnectAndTakesTheWaitWindowAway) {
    start_handset();
    open_window();
    // Before, the wait window stayed on "读取数据..." for good and went only when the main
    // window was activated; now the connect fails once the listing has not begun in time.
    ASSERT_TRUE(sim_->control("silent list"));
    boxes_.clear();
    click(w().parts().connect_button);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            return std::find(boxes_.begin(), boxes_.end(), "确认 连接手机失败") != boxes_.end();
        },
        kWaitMs))
        << ::testing::PrintToString(boxes_);
    ASSERT_TRUE(idle());
    EXPECT_FALSE(w().parts().wait_window->isVisible());
    EXPECT_TRUE(w().parts().connect_button->isEnabled());
}

TEST_F(WindowTest, InPlaceRenameToARefusedNameShowsOneBoxAndKeepsTheTypedName) {
    fs::copy_file(home_ / "photo.bmp", store_ / "pic" / "abc.bmp");
    start_handset();
    open_window();
    connect_handset();
    ASSERT_EQ(rows(w().parts().handset_list), QStringList() << "abc.bmp");
    QTest::keyClicks(w().parts().name_box, QStringLiteral("mine"));
    w().parts().handset_list->select_row(0);
    click(w().parts().rename_button);
    InPlaceEditor *editor = w().parts().rename_editor;
    ASSERT_NE(editor, nullptr);
    editor->selectAll();
    QTest::keyClicks(editor, QStringLiteral("a_b-c"));
    boxes_.clear();
    QTest::keyClick(editor, Qt::Key_Return);
    EXPECT_EQ(
        boxes_,
        std::vector<std::string>{
            "确认 请输入字母和数字组成的文件名!\n手机的文件名最多8个字符，只能用英文字母和数字"});
    EXPECT_EQ(w().parts().name_box->text(), QStringLiteral("mine"));
    EXPECT_EQ(rows(w().parts().handset_list), QStringList() << "abc.bmp");
}

TEST_F(WindowTest, HandsetEventStopsTheDownload) {
    start_handset();
    open_window();
    connect_handset();
    choose_photo(QStringLiteral("big"));
    ASSERT_TRUE(sim_->control("event 1 after 5"));
    answers_ = {BoxAnswer::Ok};
    click(w().parts().download_button);
    ASSERT_TRUE(QTest::qWaitFor([&] { return saw_box("确认 手机来电，中断操作！"); }, kWaitMs));
    ASSERT_TRUE(idle());
    delivered();
    EXPECT_EQ(buttons(), "10000");
    EXPECT_EQ(w().parts().link_icon->text(), QStringLiteral("   COM3未连接"));
    EXPECT_FALSE(w().parts().wait_window->isVisible());
    EXPECT_EQ(w().parts().handset_list->topLevelItemCount(), 0);
    EXPECT_FALSE(fs::exists(store_ / "pic" / "big.bmp"));
}

TEST_F(WindowTest, CancelInTheWaitWindowStopsTheDownloadButNotEnterOrEscape) {
    start_handset();
    open_window();
    connect_handset();
    choose_photo(QStringLiteral("slow"));
    ASSERT_TRUE(sim_->control("delay 150"));
    answers_ = {BoxAnswer::Ok};
    click(w().parts().download_button);
    WaitWindow *wait = w().parts().wait_window;
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return wait->isVisible() && wait->text_label()->text().contains("第2个"); },
        kWaitMs));
    EXPECT_GT(wait->progress_bar()->value(), 0);
    EXPECT_TRUE(wait->animation() != nullptr);
    QTest::keyClick(wait, Qt::Key_Escape);
    QTest::keyClick(wait, Qt::Key_Return);
    EXPECT_TRUE(wait->isVisible());
    EXPECT_FALSE(w().values().cancel.load());

    click(wait->cancel_button());
    EXPECT_FALSE(wait->isVisible());
    EXPECT_TRUE(w().values().cancel.load());
    ASSERT_TRUE(idle());
    delivered();
    EXPECT_FALSE(wait->isVisible());  // later reports do not bring it back
    EXPECT_EQ(buttons(), "11111");
    EXPECT_FALSE(fs::exists(store_ / "pic" / "slow.bmp"));
}

TEST_F(WindowTest, MenuCommandsAndThePortDialogSave) {
    open_window();
    // The port dialog: COM5 mapped to a device of the user's choice, saved in the profile.
    dialog_script_ = [](QDialog &d) {
        auto *port = dynamic_cast<PortDialog *>(&d);
        if (port == nullptr) {
            return 0;
        }
        port->port_box()->setCurrentIndex(4);
        port->device_box()->setCurrentText(QStringLiteral("/dev/ttyUSB7"));
        return static_cast<int>(QDialog::Accepted);
    };
    w().parts().settings_action->trigger();
    EXPECT_EQ(profile_.com_port(), 5u);
    EXPECT_EQ(profile_.port_devices()[5], "/dev/ttyUSB7");
    EXPECT_EQ(w().parts().link_icon->text(), QStringLiteral("   COM5未连接"));
    // Cancel changes nothing.
    dialog_script_ = [](QDialog &d) {
        if (auto *port = dynamic_cast<PortDialog *>(&d)) {
            port->port_box()->setCurrentIndex(0);
        }
        return static_cast<int>(QDialog::Rejected);
    };
    w().parts().settings_action->trigger();
    EXPECT_EQ(profile_.com_port(), 5u);

    bool about_shown = false;
    dialog_script_ = [&](QDialog &d) {
        about_shown =
            dynamic_cast<AboutDialog *>(&d) != nullptr && d.windowTitle() == QStringLiteral("关于");
        return static_cast<int>(QDialog::Accepted);
    };
    w().parts().about_action->trigger();
    EXPECT_TRUE(about_shown);
    w().parts().help_action->trigger();
    ASSERT_EQ(opened_.size(), 1u);
    EXPECT_TRUE(opened_[0].toLocalFile().endsWith(QStringLiteral("/dwnHelp.html")));
    EXPECT_TRUE(fs::exists(opened_[0].toLocalFile().toStdString()));

    // No browser could open it: the user is told where the guide is.
    browser_ = false;
    boxes_.clear();
    w().parts().help_action->trigger();
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].rfind("帮助 ", 0), 0u) << boxes_[0];
    EXPECT_NE(boxes_[0].find(opened_[1].toLocalFile().toStdString()), std::string::npos)
        << boxes_[0];
}

TEST_F(WindowTest, PortDialogShowsTheDeviceTheEnvironmentNames) {
    ::setenv("HANDLINK_COM3", "/dev/ttyACM4", 1);
    open_window();
    QString shown;
    dialog_script_ = [&](QDialog &d) {
        if (auto *port = dynamic_cast<PortDialog *>(&d)) {
            shown = port->device_box()->itemText(0);
        }
        return static_cast<int>(QDialog::Rejected);
    };
    w().parts().settings_action->trigger();
    ::unsetenv("HANDLINK_COM3");
    EXPECT_EQ(shown, QStringLiteral("/dev/ttyACM4 (默认)"));
}

TEST_F(WindowTest, MelodyPanelPlaysHoldsTheButtonsAndReportsBadFiles) {
    open_window();
    w().parts().file_type_box->setCurrentIndex(1);
    MelodyPanel *panel = w().parts().melody_panel;
    // Nothing chosen: play does nothing.
    click(panel->play_button());
    EXPECT_FALSE(panel->playing());
    EXPECT_TRUE(boxes_.empty());

    click_row(w().parts().pc_list, QStringLiteral("tune.mid"));
    click(panel->play_button());
    ASSERT_TRUE(panel->playing());
    EXPECT_EQ(buttons(), "00000");
    EXPECT_FALSE(panel->play_button()->isEnabled());
    panel->tick();  // the melody was rendered at once: the tick finds its end
    EXPECT_FALSE(panel->playing());
    EXPECT_EQ(panel->time_label()->text(), QStringLiteral("播放时间 00:01"));
    EXPECT_EQ(panel->slider()->value(), 0);
    EXPECT_TRUE(panel->play_button()->isEnabled());
    EXPECT_EQ(buttons(), "10000");

    // A file that is not MIDI: a box says so in the window's language; nothing plays.
    std::ofstream(home_ / "fake.mid") << "not midi at all";
    w().parts().melody_panel->set_melody_source((home_ / "fake.mid").string());
    click(panel->play_button());
    EXPECT_FALSE(panel->playing());
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0], "播放错误 该文件不是可以播放的MIDI文件。");
    // One that cannot be read: the system's own words follow a sentence in the window's language.
    boxes_.clear();
    w().parts().melody_panel->set_melody_source((home_ / "gone.mid").string());
    click(panel->play_button());
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].rfind("播放错误 无法读取该MIDI文件。\n系统的说明：", 0), 0u) << boxes_[0];
    EXPECT_GT(boxes_[0].size(), std::string("播放错误 无法读取该MIDI文件。\n系统的说明：").size());
}

}  // namespace
TEST_F(WindowTest, NoPanelKeepsWhatBelongedToTheFileChosenBefore) {
    write_long_midi(home_ / "long.mid");
    fs::create_directories(home_ / "songs");
    write_midi(home_ / "songs" / "short.mid");
    open_window();

    // The length shown is the chosen melody's, at once and after another one has played.
    w().parts().file_type_box->setCurrentIndex(1);
    MelodyPanel *panel = w().parts().melody_panel;
    EXPECT_EQ(panel->time_label()->text(), QStringLiteral("播放时间"));
    click_row(w().parts().pc_list, QStringLiteral("long.mid"));
    EXPECT_EQ(panel->time_label()->text(), QStringLiteral("播放时间 00:08"));
    click(panel->play_button());
    panel->tick();  // rendered at once: the tick finds the end
    ASSERT_FALSE(panel->playing());
    click_row(w().parts().pc_list, QStringLiteral("tune.mid"));
    EXPECT_EQ(panel->time_label()->text(), QStringLiteral("播放时间 00:01"));

    // A picture, then a folder without pictures: the preview goes with the choice.
    w().parts().file_type_box->setCurrentIndex(0);
    EXPECT_FALSE(w().parts().picture_panel->has_picture());
    click_row(w().parts().pc_list, QStringLiteral("photo.bmp"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return w().parts().picture_panel->has_picture(); }, kWaitMs));
    ASSERT_TRUE(w().parts().pc_tree->select_folder((home_ / "songs").string()));
    EXPECT_TRUE(w().parts().pc_file_label->text().isEmpty());
    EXPECT_FALSE(w().parts().picture_panel->has_picture());
    EXPECT_EQ(w().parts().picture_panel->area()->status_text(), QStringLiteral("未选择图片"));
    // And the melody's length goes the same way when the type changes.
    w().parts().file_type_box->setCurrentIndex(1);
    click_row(w().parts().pc_list, QStringLiteral("short.mid"));
    EXPECT_EQ(panel->time_label()->text(), QStringLiteral("播放时间 00:01"));
    w().parts().file_type_box->setCurrentIndex(0);
    EXPECT_EQ(panel->time_label()->text(), QStringLiteral("播放时间"));
}

TEST_F(WindowTest, TheCaptureLivesInTheWindowsOwnFolderAndGoesWithTheWindow) {
    open_window();
    w().parts().pc_list->setFocus();
    QTest::keyClick(w().parts().pc_list, Qt::Key_Down);
    ASSERT_TRUE(QTest::qWaitFor([&] { return w().parts().picture_panel->captured(); }, kWaitMs));
    fs::path folder;
    for (const auto &e : fs::directory_iterator(dir_ / "work" / "zemlo-runs")) {
        folder = e.path();
    }
    ASSERT_EQ(folder.filename().string().rfind("run-", 0), 0u) << folder;
    EXPECT_TRUE(fs::exists(folder / "tmp.bmp"));
    window_.reset();
    EXPECT_FALSE(fs::exists(folder));
    EXPECT_TRUE(fs::is_empty(dir_ / "work" / "zemlo-runs"));
}

namespace {

TEST_F(WindowTest, TabFollowsTheReadingOrderAndShiftTabFromTheNameNeverReachesADeletion) {
    start_handset();
    open_window();
    activate();
    // Not connected, the picture panel shown: disabled buttons and the hidden panel are passed by.
    EXPECT_EQ(tab_chain().join(" > ").toStdString(),
              "type > pc tree > pc list > effect > picture > dither > name > handset tree > "
              "handset list > 连接");
    connect_handset();
    activate();  // the window manager's part: the window is active again after the wait window
    w().parts().file_type_box->setCurrentIndex(1);
    const QStringList forward = {"type", "pc tree", "pc list", "slider",       "play",
                                 "stop", "fit",     "name",    "handset tree", "handset list",
                                 "连接", "下载",    "重命名",  "删除",         "断开"};
    EXPECT_EQ(tab_chain().join(" > ").toStdString(), forward.join(" > ").toStdString());
    QStringList backward = forward.mid(1);
    std::reverse(backward.begin(), backward.end());
    backward.prepend("type");
    EXPECT_EQ(tab_chain(Qt::ShiftModifier).join(" > ").toStdString(),
              backward.join(" > ").toStdString());

    // One Shift+Tab from the name box lands in the panel, with either panel shown.
    w().parts().name_box->setFocus(Qt::TabFocusReason);
    key(Qt::Key_Tab, Qt::ShiftModifier);
    EXPECT_EQ(QApplication::focusWidget(), w().parts().melody_panel->fit_box());
    w().parts().file_type_box->setCurrentIndex(0);
    w().parts().name_box->setFocus(Qt::TabFocusReason);
    key(Qt::Key_Tab, Qt::ShiftModifier);
    EXPECT_EQ(QApplication::focusWidget(), w().parts().picture_panel->dither_box());
}

TEST_F(WindowTest, DraggingThePlayTimeSliderSeeksAndTheTimeTextFollows) {
    write_long_midi(home_ / "long.mid");
    open_window();
    w().parts().file_type_box->setCurrentIndex(1);
    MelodyPanel *panel = w().parts().melody_panel;
    ShadedSlider *slider = panel->slider();
    click_row(w().parts().pc_list, QStringLiteral("long.mid"));

    // Nothing playing: the thumb is where the next play starts (half of 8 s rendered).
    slider->setSliderDown(true);
    slider->setSliderPosition(50);
    slider->setSliderDown(false);
    click(panel->play_button());
    ASSERT_TRUE(panel->playing());
    EXPECT_EQ(fs::file_size(dir_ / "played.wav"), 44u + 4u * 44100u * 4u);

    // Playing: while dragged, the text shows the thumb's time and the tick leaves both alone;
    // the release seeks there and the text shows the length again.
    slider->setSliderDown(true);
    slider->setSliderPosition(25);
    EXPECT_EQ(panel->time_label()->text(), QStringLiteral("播放时间 00:02"));
    EXPECT_EQ(panel->position_ms(), 8000u);
    slider->setSliderDown(false);
    EXPECT_EQ(panel->position_ms(), 2000u);
    EXPECT_EQ(panel->time_label()->text(), QStringLiteral("播放时间 00:08"));
    EXPECT_EQ(slider->value(), 25);

    // Stopped, the next play starts from the beginning again.
    click(panel->stop_button());
    EXPECT_EQ(slider->value(), 0);
    click(panel->play_button());
    EXPECT_EQ(fs::file_size(dir_ / "played.wav"), 44u + 8u * 44100u * 4u);
    panel->tick();
    EXPECT_FALSE(panel->playing());
}

TEST_F(WindowTest, EveryCommandRunsFromTheKeyboard) {
    start_handset();
    open_window();
    activate();
    QMenu *file = w().menuBar()->actions().value(0)->menu();
    QMenu *other = w().menuBar()->actions().value(1)->menu();
    ASSERT_NE(file, nullptr);
    ASSERT_NE(other, nullptr);
    const auto menu_open = [](QMenu *menu) {
        return QTest::qWaitFor([menu] { return QApplication::activePopupWidget() == menu; }, 2000);
    };
    const auto menu_closed = [] {
        return QTest::qWaitFor([] { return QApplication::activePopupWidget() == nullptr; }, 2000);
    };

    // F10 opens the first menu; Alt and a menu's letter open that menu; items answer to theirs.
    QStringList dialogs;
    dialog_script_ = [&](QDialog &d) {
        dialogs << QString::fromLatin1(d.metaObject()->className());
        return static_cast<int>(QDialog::Rejected);
    };
    // Alt alone puts the menu bar in keyboard mode (the style's part); Down opens the menu.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Alt, Qt::AltModifier);
    EXPECT_EQ(w().menuBar()->activeAction(), w().menuBar()->actions().value(0));
    key(Qt::Key_Down);
    ASSERT_TRUE(menu_open(file));
    key(Qt::Key_Escape);
    ASSERT_TRUE(menu_closed());
    key(Qt::Key_Escape);
    key(Qt::Key_F10);
    ASSERT_TRUE(menu_open(file));
    key(Qt::Key_S);
    ASSERT_TRUE(menu_closed());
    EXPECT_EQ(dialogs, QStringList{"zemlo::shell::PortDialog"});

    key(Qt::Key_O, Qt::AltModifier);
    ASSERT_TRUE(menu_open(other));
    key(Qt::Key_A);
    ASSERT_TRUE(menu_closed());
    EXPECT_EQ(dialogs.value(1), QStringLiteral("zemlo::shell::AboutDialog"));

    key(Qt::Key_O, Qt::AltModifier);
    ASSERT_TRUE(menu_open(other));
    key(Qt::Key_H);
    ASSERT_TRUE(menu_closed());
    EXPECT_EQ(opened_.size(), 1u);

    answers_ = {BoxAnswer::Cancel};
    key(Qt::Key_F, Qt::AltModifier);
    ASSERT_TRUE(menu_open(file));
    key(Qt::Key_M);
    ASSERT_TRUE(menu_closed());
    EXPECT_TRUE(saw_box("确认 格式化将使文件全部丢失,手机会自动重启。你确定吗？"));

    // The command buttons: Tab to them, Space presses them.
    ASSERT_TRUE(tab_to(w().parts().connect_button));
    key(Qt::Key_Space);
    ASSERT_TRUE(QTest::qWaitFor([&] { return buttons() == "11111"; }, kWaitMs));
    ASSERT_TRUE(idle());
    // The window manager's part: the main window is active again once the wait window goes.
    activate();
    const auto tab_again_from = [&](QWidget *widget) {
        activate();
        if (QApplication::focusWidget() == nullptr) {
            widget->setFocus(Qt::TabFocusReason);
        }
    };

    ASSERT_TRUE(tab_to(w().parts().pc_list));
    key(Qt::Key_Down);
    ASSERT_TRUE(QTest::qWaitFor([&] { return w().parts().picture_panel->captured(); }, kWaitMs));
    ASSERT_TRUE(tab_to(w().parts().name_box));
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("kbd"));
    ASSERT_TRUE(tab_to(w().parts().download_button));
    answers_ = {BoxAnswer::Ok, BoxAnswer::Ok, BoxAnswer::Ok};
    key(Qt::Key_Space);
    ASSERT_TRUE(QTest::qWaitFor([&] { return fs::exists(store_ / "pic" / "kbd.bmp"); }, kWaitMs));
    ASSERT_TRUE(idle());
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return rows(w().parts().handset_list).size() == 1; }, kWaitMs));
    tab_again_from(w().parts().file_type_box);

    ASSERT_TRUE(tab_to(w().parts().handset_list));
    key(Qt::Key_Down);
    ASSERT_TRUE(tab_to(w().parts().rename_button));
    key(Qt::Key_Space);
    ASSERT_NE(w().parts().rename_editor, nullptr);
    key(Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("key"));
    answers_ = {BoxAnswer::Ok};
    key(Qt::Key_Return);
    ASSERT_TRUE(QTest::qWaitFor([&] { return fs::exists(store_ / "pic" / "key.bmp"); }, kWaitMs));
    ASSERT_TRUE(idle());
    // The focus is back on the handset list, where it was before the rename, as after a
    // download or a deletion: the next arrow moves along the files, not the file type.
    activate();
    EXPECT_EQ(w().focusWidget(), w().parts().handset_list);
    key(Qt::Key_Down);
    EXPECT_EQ(w().parts().file_type_box->currentIndex(), 0);
    tab_again_from(w().parts().file_type_box);

    ASSERT_TRUE(tab_to(w().parts().handset_list));
    key(Qt::Key_Down);
    ASSERT_TRUE(tab_to(w().parts().delete_button));
    answers_ = {BoxAnswer::Ok};
    key(Qt::Key_Space);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !fs::exists(store_ / "pic" / "key.bmp"); }, kWaitMs));
    ASSERT_TRUE(idle());
    tab_again_from(w().parts().file_type_box);

    ASSERT_TRUE(tab_to(w().parts().disconnect_button));
    key(Qt::Key_Space);
    ASSERT_TRUE(QTest::qWaitFor([&] { return buttons() == "10000"; }, kWaitMs));
    tab_again_from(w().parts().file_type_box);

    // The melody panel's play button is in the chain as well.
    w().parts().file_type_box->setFocus(Qt::TabFocusReason);
    key(Qt::Key_Down);
    ASSERT_TRUE(w().parts().melody_panel->isVisible());
    ASSERT_TRUE(tab_to(w().parts().pc_list));
    key(Qt::Key_Down);
    ASSERT_TRUE(tab_to(w().parts().melody_panel->play_button()));
    key(Qt::Key_Space);
    EXPECT_TRUE(w().parts().melody_panel->playing());
    w().parts().melody_panel->tick();  // rendered at once: the tick finds the end
    EXPECT_FALSE(w().parts().melody_panel->playing());

    key(Qt::Key_F, Qt::AltModifier);
    ASSERT_TRUE(menu_open(file));
    key(Qt::Key_X);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !w().isVisible(); }, 2000));
}

TEST_F(WindowTest, AWindowTooLargeForTheScreenIsLaidOutFromASmallerFont) {
    // Scale 1.5 on a 1280 x 900 screen leaves 853 x 600 device-independent pixels.
    const QSize room(853, 600);
    WindowHooks hooks;
    hooks.box = [](const app::MessageBoxDetails &, QWidget *) { return BoxAnswer::Ok; };
    MainWindow normal(profile_, program_dir(), hooks);
    hooks.available_area = [room] { return QRect(QPoint(), room); };
    MainWindow fitted(profile_, program_dir(), hooks);
    EXPECT_GT(normal.height(), room.height() - 40);  // it would run off with its title bar
    EXPECT_LT(fitted.font().pointSizeF(), normal.font().pointSizeF());
    EXPECT_LE(fitted.width(), room.width());
    EXPECT_LE(fitted.height(), room.height() - 30);
    // Laid out throughout from the smaller font.
    EXPECT_EQ(fitted.base().height, QFontMetrics(fitted.font()).height());
    EXPECT_EQ(fitted.parts().connect_button->geometry(),
              du_rect(fitted.base(), main_window_layout::kConnectButton));
}

}  // namespace

}  // namespace zemlo::shell
