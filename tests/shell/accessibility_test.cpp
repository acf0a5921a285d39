// The window as a screen reader sees it: the accessibility tree of the main window and of every
// dialog, in both languages. Every control a person can use has a name that says what it is (a
// list is named for what it holds, not by its first row), a combo box is labelled by the text
// beside it, and the space gauge says its figures.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QComboBox>
#include <QDialog>
#include <QProgressBar>
#include <QTest>
#include <QTreeWidget>
#include <filesystem>
#include <fstream>
#include <functional>
#include <set>
#include <string>

#include "about_dialog.h"
#include "file_list_view.h"
#include "icon_button.h"
#include "main_window.h"
#include "melody_panel.h"
#include "offscreen_app.h"
#include "pc_folder_tree.h"
#include "port_dialog.h"
#include "profile.h"
#include "space_gauge.h"
#include "translation_catalogue.h"
#include "wait_window.h"

namespace zemlo::shell {
namespace {

namespace fs = std::filesystem;

bool interactive(QAccessible::Role role) {
    static const std::set<QAccessible::Role> roles = {
        QAccessible::Button,   QAccessible::CheckBox,     QAccessible::RadioButton,
        QAccessible::ComboBox, QAccessible::EditableText, QAccessible::Slider,
        QAccessible::SpinBox,  QAccessible::List,         QAccessible::Tree,
        QAccessible::Table,    QAccessible::PageTab,      QAccessible::MenuItem};
    return roles.count(role) > 0;
}

struct Control {
    QAccessible::Role role;
    QString name;
    QString value;
    bool labelled;  // a label is attached (a buddy)
    QObject *object;
};

// Every visible node below iface, not descending into the rows of lists and trees.
void walk(QAccessibleInterface *iface, std::vector<Control> &out) {
    if (iface == nullptr || iface->state().invisible) {
        return;
    }
    const QAccessible::Role role = iface->role();
    out.push_back({role, iface->text(QAccessible::Name), iface->text(QAccessible::Value),
                   !iface->relations(QAccessible::Label).isEmpty(), iface->object()});
    if (role == QAccessible::List || role == QAccessible::Tree || role == QAccessible::Table ||
        role == QAccessible::ComboBox) {
        return;
    }
    for (int i = 0; i < iface->childCount(); ++i) {
        walk(iface->child(i), out);
    }
}

std::string describe(const Control &c) {
    return "role " + std::to_string(static_cast<int>(c.role)) + " of " +
           (c.object != nullptr ? std::string(c.object->metaObject()->className()) : "?") +
           " name \"" + c.name.toStdString() + "\" value \"" + c.value.toStdString() + "\"";
}

// The check a screen reader's user makes: each control says what it is.
void expect_every_control_named(QWidget *window, const std::string &context) {
    std::vector<Control> controls;
    walk(QAccessible::queryAccessibleInterface(window), controls);
    ASSERT_FALSE(controls.empty()) << context;
    int checked = 0;
    for (const Control &c : controls) {
        if (!interactive(c.role)) {
            continue;
        }
        ++checked;
        EXPECT_FALSE(c.name.trimmed().isEmpty()) << context << ": " << describe(c);
        if (c.role == QAccessible::ComboBox) {
            // Named by its value on this desktop, as every combo box is; what it is comes from
            // the label attached to it.
            EXPECT_TRUE(c.labelled) << context << ": " << describe(c);
        } else if (auto *tree = qobject_cast<QTreeWidget *>(c.object)) {
            // Named for what it holds, never by a row.
            for (int row = 0; row < tree->topLevelItemCount(); ++row) {
                EXPECT_NE(c.name, tree->topLevelItem(row)->text(0))
                    << context << ": " << describe(c);
            }
        }
    }
    EXPECT_GT(checked, 0) << context;
}

class ScreenReaderView : public ::testing::TestWithParam<i18n::UiLanguage> {
  protected:
    void SetUp() override {
        test::ensure_app();
        ASSERT_TRUE(i18n::use_language(GetParam()));
        char tmpl[] = "/tmp/zemlo-a11y-XXXXXX";
        dir_ = ::mkdtemp(tmpl);
        ::setenv("HOME", dir_.c_str(), 1);
        ::setenv("ZEMLO_WORK_DIR", (dir_ / "work").c_str(), 1);
        QImage picture(20, 20, QImage::Format_RGB32);
        picture.fill(Qt::red);
        picture.save(QString::fromStdString((dir_ / "photo.bmp").string()));
        std::ofstream(dir_ / "tune.mid") << "MThd";
        WindowHooks hooks;
        hooks.box = [](const app::MessageBoxDetails &, QWidget *) { return app::BoxAnswer::Ok; };
        hooks.run_dialog = [](QDialog &) { return 0; };
        window_ = std::make_unique<MainWindow>(profile_, (dir_ / "none").string(), hooks);
        window_->initialise();
        window_->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
        ASSERT_TRUE(QTest::qWaitFor([&] { return window_->browser_ready(); }, 10000));
    }
    void TearDown() override {
        window_.reset();
        i18n::use_language(i18n::UiLanguage::Chinese);
        std::error_code ec;
        fs::remove_all(dir_, ec);
    }

    fs::path dir_;
    app::MemoryProfile profile_;
    std::unique_ptr<MainWindow> window_;
};

TEST_P(ScreenReaderView, EveryControlOfTheWindowAndItsDialogsSaysWhatItIs) {
    const bool english = GetParam() == i18n::UiLanguage::English;
    // The picture panel shows first; the melody panel's controls in their turn.
    expect_every_control_named(window_.get(), "main window, pictures");
    window_->parts().file_type_box->setCurrentIndex(1);
    expect_every_control_named(window_.get(), "main window, melodies");

    // What the lists and the gauge say, in the window's language.
    const MainWindowParts parts = window_->parts();
    const auto name_of = [](QObject *o) {
        return QAccessible::queryAccessibleInterface(o)->text(QAccessible::Name);
    };
    EXPECT_EQ(name_of(parts.handset_list),
              english ? QStringLiteral("Handset files") : QStringLiteral("手机文件"));
    EXPECT_EQ(name_of(parts.pc_tree),
              english ? QStringLiteral("PC folders") : QStringLiteral("电脑文件夹"));
    QAccessibleInterface *gauge = QAccessible::queryAccessibleInterface(parts.space_gauge);
    EXPECT_EQ(gauge->text(QAccessible::Name),
              english ? QStringLiteral("Handset space") : QStringLiteral("手机空间"));
    parts.space_gauge->set_space(true, 1000, 250);
    EXPECT_TRUE(gauge->text(QAccessible::Value).contains(QStringLiteral("750")));
    EXPECT_TRUE(gauge->text(QAccessible::Value).contains(QStringLiteral("250")));
    // The play and stop buttons show an icon alone: their names are words.
    EXPECT_EQ(name_of(parts.melody_panel->play_button()),
              english ? QStringLiteral("Play") : QStringLiteral("播放"));

    AboutDialog about(window_->base(), window_.get());
    about.show();
    expect_every_control_named(&about, "about box");
    PortDialog port(window_->base(), 3, {}, {}, window_.get());
    port.show();
    expect_every_control_named(&port, "port dialog");
    WaitWindow *wait = parts.wait_window;
    wait->report({app::ReportLevel::Progress, {app::MessageId::Connecting}, 3, {}}, false);
    expect_every_control_named(wait, "wait window");
    EXPECT_FALSE(name_of(wait->progress_bar()).isEmpty());
    wait->dismiss();
}

INSTANTIATE_TEST_SUITE_P(BothLanguages, ScreenReaderView,
                         ::testing::Values(i18n::UiLanguage::Chinese, i18n::UiLanguage::English),
                         [](const auto &info) {
                             return info.param == i18n::UiLanguage::Chinese ? "Chinese" : "English";
                         });

}  // namespace
}  // namespace zemlo::shell
