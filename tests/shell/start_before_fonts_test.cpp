// What the window makes while the font configuration is still being read (its menus, icons and
// lists) must not ask the toolkit for a font: whoever does reads the whole configuration again
// beside the read-ahead, which doubles the start's longest step. A program of its own, so that
// nothing before it has asked for a font; the toolkit's font list call is watched by defining it
// here, in front of the library's own.
#include <dlfcn.h>
#include <fontconfig/fontconfig.h>
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>

#include "file_list_view.h"
#include "main_window.h"
#include "offscreen_app.h"
#include "profile.h"

namespace {

std::atomic<int> font_lists{0};

}  // namespace

// The toolkit lists the fonts once, the first time a text needs one.
extern "C" FcFontSet *FcFontList(FcConfig *config, FcPattern *pattern, FcObjectSet *objects) {
    ++font_lists;
    using Real = FcFontSet *(*)(FcConfig *, FcPattern *, FcObjectSet *);
    static const auto real = reinterpret_cast<Real>(::dlsym(RTLD_NEXT, "FcFontList"));
    return real(config, pattern, objects);
}

namespace zemlo::shell {
namespace {

namespace fs = std::filesystem;

TEST(StartBeforeFonts, TheWindowAsksForNoFontUntilItsFirstText) {
    test::ensure_app();
    char tmpl[] = "/tmp/zemlo-before-fonts-XXXXXX";
    const fs::path dir = ::mkdtemp(tmpl);
    ::setenv("HOME", dir.c_str(), 1);
    ::setenv("ZEMLO_WORK_DIR", (dir / "work").c_str(), 1);
    ASSERT_EQ(font_lists.load(), 0);
    app::MemoryProfile profile;
    WindowHooks hooks;
    hooks.box = [](const app::MessageBoxDetails &, QWidget *) { return app::BoxAnswer::Ok; };
    int lists_before_text = -1;
    hooks.before_text = [&lists_before_text] { lists_before_text = font_lists.load(); };
    {
        MainWindow window(profile, (dir / "none").string(), hooks);
        // The menus, the icons drawn ahead and the four lists: no font yet.
        EXPECT_EQ(lists_before_text, 0);
        // And the watch works: the window's texts did ask, once.
        EXPECT_EQ(font_lists.load(), 1);
        // The lists made early have what they would have had made late.
        const MainWindowParts parts = window.parts();
        for (const FileListView *list : {parts.pc_list, parts.handset_list}) {
            EXPECT_EQ(list->columnCount(), 2);
            EXPECT_EQ(list->font(), window.font());
        }
        EXPECT_EQ(parts.pc_list->selectionMode(), QAbstractItemView::ExtendedSelection);
        EXPECT_EQ(parts.handset_list->selectionMode(), QAbstractItemView::SingleSelection);
    }
    std::error_code ec;
    fs::remove_all(dir, ec);
}

}  // namespace
}  // namespace zemlo::shell
