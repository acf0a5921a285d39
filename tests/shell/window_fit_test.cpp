// The main window and its dialogs on small and large screens, at every scale factor the program
// is run at (the test program runs once per scale, QT_SCALE_FACTOR set by CTest): the window fits
// the room it is given from 800 x 480 logical pixels up, and nothing inside it runs out of its
// place (the picture box out of its panel, a text out of its control, the file sizes behind a
// scroll bar, the link icon out of its label).
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QComboBox>
#include <QDialog>
#include <QHeaderView>
#include <QLabel>
#include <QMenuBar>
#include <QScreen>
#include <QTest>
#include <filesystem>
#include <iterator>
#include <string>
#include <vector>

#include "about_dialog.h"
#include "file_list_view.h"
#include "link_state_icon.h"
#include "main_window.h"
#include "offscreen_app.h"
#include "picture_panel.h"
#include "port_dialog.h"
#include "profile.h"
#include "space_gauge.h"
#include "translation_catalogue.h"
#include "wait_window.h"

namespace zemlo::shell {
namespace {

namespace fs = std::filesystem;

// Screens from the smallest the window is made for up, in logical pixels: 800 x 480, 1024 x 600,
// 720p, 1280 x 1024 and full HD.
const QSize kRooms[] = {{800, 480}, {1024, 600}, {1280, 720}, {1280, 1024}, {1920, 1080}};
// What the window manager adds around the window (as the window allows for it).
constexpr QSize kFrame(16, 40);

std::string where(const QWidget *w) {
    std::string out;
    for (const QWidget *p = w; p != nullptr; p = p->parentWidget()) {
        const QString name = p->objectName().isEmpty()
                                 ? QString::fromLatin1(p->metaObject()->className())
                                 : p->objectName();
        out = name.toStdString() + (out.empty() ? "" : "/") + out;
    }
    return out;
}

// Every visible control lies within its parent; every text fits the control that shows it.
void expect_everything_in_place(QWidget *top, const std::string &context) {
    for (QWidget *w : top->findChildren<QWidget *>()) {
        if (!w->isVisibleTo(top) || w->isWindow() || w->parentWidget() == nullptr) {
            continue;
        }
        // Inside the scroll areas' own parts, Qt places and clips its widgets itself.
        if (qobject_cast<QAbstractScrollArea *>(w->parentWidget()) != nullptr ||
            w->parentWidget()->inherits("QAbstractScrollArea") ||
            qobject_cast<QHeaderView *>(w) != nullptr || w->inherits("QScrollBar") ||
            w->parentWidget()->inherits("QComboBox") || w->inherits("QMenuBar")) {
            continue;
        }
        EXPECT_TRUE(w->parentWidget()->rect().contains(w->geometry()))
            << context << ": " << where(w) << " at " << w->geometry().x() << ","
            << w->geometry().y() << " " << w->width() << "x" << w->height() << " in "
            << w->parentWidget()->width() << "x" << w->parentWidget()->height();
        // The link icon's text stays its text for a screen reader; the icon is what is drawn.
        auto *label = qobject_cast<QLabel *>(w);
        if (label != nullptr && qobject_cast<LinkStateIcon *>(w) == nullptr) {
            if (!label->text().isEmpty() && !label->wordWrap() && !label->text().contains(u'\n')) {
                EXPECT_LE(label->fontMetrics().horizontalAdvance(label->text()),
                          label->contentsRect().width())
                    << context << ": " << where(w) << " \"" << label->text().toStdString() << "\"";
            }
        }
        if (auto *combo = qobject_cast<QComboBox *>(w)) {
            // The box's own measure of its longest entry beside the arrow and the frame.
            EXPECT_LE(combo->sizeHint().width(), combo->width())
                << context << ": " << where(w) << " needs " << combo->sizeHint().width();
        }
        if (auto *button = qobject_cast<QAbstractButton *>(w)) {
            if (!button->text().isEmpty()) {
                EXPECT_LE(button->fontMetrics().horizontalAdvance(button->text()), button->width())
                    << context << ": " << where(w);
            }
        }
    }
}

// No two controls side by side overlap (the group boxes drawn around others aside).
void expect_no_overlaps(QWidget *top, const std::string &context) {
    QList<QWidget *> parents = top->findChildren<QWidget *>();
    parents << top;
    for (QWidget *parent : parents) {
        std::vector<QWidget *> leaves;
        for (QObject *o : parent->children()) {
            auto *w = qobject_cast<QWidget *>(o);
            if (w != nullptr && !w->isWindow() && w->isVisibleTo(top) &&
                !w->inherits("QGroupBox") && !w->inherits("QMenuBar") &&
                !w->inherits("QScrollBar") && !w->inherits("QHeaderView") &&
                !parent->inherits("QAbstractScrollArea") && !parent->inherits("QComboBox")) {
                leaves.push_back(w);
            }
        }
        for (size_t i = 0; i < leaves.size(); ++i) {
            for (size_t j = i + 1; j < leaves.size(); ++j) {
                EXPECT_FALSE(leaves[i]->geometry().intersects(leaves[j]->geometry()))
                    << context << ": " << where(leaves[i]) << " and " << where(leaves[j]);
            }
        }
    }
}

class WindowFit : public ::testing::TestWithParam<i18n::UiLanguage> {
  protected:
    void SetUp() override {
        test::ensure_app();
        ASSERT_TRUE(i18n::use_language(GetParam()));
        char tmpl[] = "/tmp/zemlo-fit-XXXXXX";
        dir_ = ::mkdtemp(tmpl);
        ::setenv("HOME", dir_.c_str(), 1);
        ::setenv("ZEMLO_WORK_DIR", (dir_ / "work").c_str(), 1);
    }
    void TearDown() override {
        i18n::use_language(i18n::UiLanguage::Chinese);
        std::error_code ec;
        fs::remove_all(dir_, ec);
    }

    std::unique_ptr<MainWindow> window_in(QSize room) {
        WindowHooks hooks;
        hooks.box = [](const app::MessageBoxDetails &, QWidget *) { return app::BoxAnswer::Ok; };
        hooks.run_dialog = [](QDialog &) { return 0; };
        hooks.available_area = [room] { return QRect(QPoint(0, 0), room); };
        auto window = std::make_unique<MainWindow>(profile_, (dir_ / "none").string(), hooks);
        window->initialise();
        return window;
    }

    fs::path dir_;
    app::MemoryProfile profile_;
};

TEST_P(WindowFit, TheWindowFitsEveryScreenAndNothingRunsOutOfItsPlace) {
    const double scale =
        qgetenv("QT_SCALE_FACTOR").isEmpty() ? 1.0 : qgetenv("QT_SCALE_FACTOR").toDouble();
    std::vector<QSize> rooms(std::begin(kRooms), std::end(kRooms));
    // A 1024 x 600 screen at 1.25 or 1.5 is smaller than that in logical pixels; its screen
    // pixels still make the smaller font legible, so the window fits there too.
    if (scale > 1 && scale <= 1.5) {
        rooms.emplace_back(static_cast<int>(1024 / scale), static_cast<int>(600 / scale));
    }
    for (const QSize room : rooms) {
        const std::string context = std::to_string(room.width()) + "x" +
                                    std::to_string(room.height()) + " at " + std::to_string(scale);
        SCOPED_TRACE(context);
        auto window = window_in(room);
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get(), 20000));
        const MainWindowParts parts = window->parts();

        // The whole window with the window manager's frame, placed inside the room.
        EXPECT_LE(window->width() + kFrame.width(), room.width());
        EXPECT_LE(window->height() + kFrame.height(), room.height());
        EXPECT_GE(window->x(), 0);
        EXPECT_GE(window->y(), 0);
        EXPECT_LE(window->x() + window->width() + kFrame.width(), room.width());
        EXPECT_LE(window->y() + window->height() + kFrame.height(), room.height());

        expect_everything_in_place(window.get(), context);
        expect_no_overlaps(window.get(), context);
        // The melody panel's controls too, which show in the same place.
        parts.file_type_box->setCurrentIndex(1);
        expect_everything_in_place(window.get(), context + " melodies");
        expect_no_overlaps(window.get(), context + " melodies");
        parts.file_type_box->setCurrentIndex(0);

        // The sizes are never hidden behind a scroll bar: both columns fit the list.
        for (FileListView *list : {parts.pc_list, parts.handset_list}) {
            EXPECT_LE(list->header()->length(), list->viewport()->width()) << where(list);
            EXPECT_GE(list->columnWidth(1),
                      list->fontMetrics().horizontalAdvance(QStringLiteral("4294967295")))
                << where(list);
        }
        // The gauge's percentage whole inside it.
        EXPECT_LE(QFontMetrics(parts.space_gauge->font()).ascent() +
                      QFontMetrics(parts.space_gauge->font()).descent(),
                  parts.space_gauge->contentsRect().height());
        // The link icon whole inside its label.
        EXPECT_TRUE(parts.link_icon->contentsRect().contains(parts.link_icon->icon_rect()));
        EXPECT_FALSE(parts.link_icon->icon_rect().isEmpty());
        // The picture box inside its panel, at a whole or half step of its size.
        PictureArea *area = parts.picture_panel->area();
        const double k = area->width() / 128.0;
        EXPECT_EQ(k * 2, std::round(k * 2)) << area->width();
        EXPECT_EQ(area->height(), static_cast<int>(132 * k));

        // The dialogs fit the room as well.
        AboutDialog about(window->base(), window.get());
        about.setFont(window->font());
        PortDialog port(window->base(), 3, {}, {}, window.get());
        port.setFont(window->font());
        for (QDialog *dialog : {static_cast<QDialog *>(&about), static_cast<QDialog *>(&port),
                                static_cast<QDialog *>(parts.wait_window)}) {
            EXPECT_LE(dialog->width() + kFrame.width(), room.width()) << where(dialog);
            EXPECT_LE(dialog->height() + kFrame.height(), room.height()) << where(dialog);
            expect_everything_in_place(dialog, context + " " + where(dialog));
        }
    }
}

INSTANTIATE_TEST_SUITE_P(BothLanguages, WindowFit,
                         ::testing::Values(i18n::UiLanguage::Chinese, i18n::UiLanguage::English),
                         [](const auto &info) {
                             return info.param == i18n::UiLanguage::Chinese ? "Chinese" : "English";
                         });

}  // namespace
}  // namespace zemlo::shell
