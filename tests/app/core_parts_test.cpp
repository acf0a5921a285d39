// The parts the core keeps the window's state in, driven alone: the handset listing as the
// operations update it, the rename under way, and where the user guide is found.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "handset_listing.h"
#include "help_page.h"
#include "rename_edit.h"

namespace zemlo::app {
namespace {

// The widgets the listing keeps in step: what the file list and the space gauge show.
class ListWindow : public WindowPort {
  public:
    std::vector<HandsetRow> rows;
    int64_t capacity = -1;
    int64_t free_space = -1;

    void set_status_line(const std::string &) override {}
    void set_buttons(const ButtonStates &) override {}
    void set_connection_text(const std::string &, bool) override {}
    void set_space(int64_t c, int64_t f) override {
        capacity = c;
        free_space = f;
    }
    void focus_handset_tree() override {}
    void focus_handset_list() override {}
    void show_handset_rows(const std::vector<HandsetRow> &shown) override { rows = shown; }
    int32_t selected_handset_row() override { return -1; }
    void set_handset_row_text(int32_t row, const std::string &text) override {
        rows.at(static_cast<size_t>(row)).name = text;
    }
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

std::vector<std::string> names(const std::vector<HandsetRow> &rows) {
    std::vector<std::string> out;
    for (const auto &r : rows) {
        out.push_back(r.name);
    }
    return out;
}

TEST(HandsetListing, OperationsKeepTheTableTheRowsAndTheSpaceInStep) {
    ListWindow window;
    HandsetListing listing(window);
    listing.take_storage(100000, 50000);
    listing.take_text("a:\\pcdlw\\pic\\a.bmp^100;b.bmp^1024;%a:\\pcdlw\\melody\\t.mid^10;%");
    EXPECT_EQ(names(window.rows), (std::vector<std::string>{"a.bmp", "b.bmp"}));
    listing.show_folder(FileType::Melody);
    EXPECT_EQ(names(window.rows), std::vector<std::string>{"t.mid"});
    EXPECT_EQ(listing.shown_folder(), "a:\\pcdlw\\melody");
    EXPECT_EQ(listing.row_named("a.bmp"), -1) << "a name is looked up in the folder on show";
    listing.show_folder(FileType::Picture);

    // A download over an existing name gives back its allocation and takes the new one.
    EXPECT_TRUE(listing.room(FileType::Picture, "b.bmp^", 50000));  // 1536 freed by replacing
    EXPECT_FALSE(listing.room(FileType::Picture, "c.bmp^", 50000));
    listing.saved(FileType::Picture, "b.bmp^2000", 2000);
    EXPECT_EQ(window.free_space, 50000 + 1536 - 2048);
    EXPECT_EQ(listing.table().entries().size(), 3u);

    // Rename and delete act on the selected row; the size stays with the renamed file.
    ASSERT_TRUE(listing.select_row(listing.row_named("b.bmp")));
    listing.renamed(listing.selected_row(), "c.bmp");
    EXPECT_EQ(listing.table().at(1)->text, "c.bmp^2000");
    EXPECT_EQ(listing.selected_name(), "c.bmp");
    listing.deleted();
    EXPECT_EQ(names(window.rows), std::vector<std::string>{"a.bmp"});
    EXPECT_EQ(window.free_space, 50000 + 1536);
    EXPECT_EQ(listing.selected_name(), "") << "the deleted row is gone";
    EXPECT_FALSE(listing.select_row(5));

    listing.forget_files();
    EXPECT_TRUE(window.rows.empty());
    EXPECT_TRUE(listing.table().entries().empty());
}

TEST(HandsetListing, AFolderIsFullOnlyForANewName) {
    ListWindow window;
    HandsetListing listing(window);
    std::string text = "a:\\pcdlw\\pic\\";
    for (int i = 0; i < 10; ++i) {
        text += "p" + std::to_string(i) + ".bmp^1;";
    }
    listing.take_text(text + "%");
    EXPECT_TRUE(listing.folder_full(FileType::Picture, "new.bmp^"));
    EXPECT_FALSE(listing.folder_full(FileType::Picture, "p3.bmp^")) << "replacing a file";
    EXPECT_FALSE(listing.folder_full(FileType::Melody, "new.mid^"));
}

TEST(RenameEdit, KeepsTheExtensionEvenOfAShortName) {
    EXPECT_EQ(RenameEdit::stem_of("abcd.bmp"), "abcd");
    EXPECT_EQ(RenameEdit::stem_of(".bmp"), "") << "nothing left to edit";
    RenameEdit edit;
    edit.begin("abc.mid");
    edit.finish("x");
    EXPECT_EQ(edit.new_name, "x.mid");
    // A name shorter than an extension is kept whole as the part the rename does not change.
    edit.begin("ab");
    edit.finish("x");
    EXPECT_EQ(edit.new_name, "xab");
    EXPECT_EQ(edit.old_name, "ab");
}

TEST(HelpPage, BesideTheProgramUnlessOnlyTheInstalledOneExists) {
    namespace fs = std::filesystem;
    const fs::path root = fs::temp_directory_path() / ("zemlo-help-" + std::to_string(::getpid()));
    const fs::path bin = root / "bin";
    const fs::path share = root / "share" / "zemlo";
    fs::create_directories(bin);
    fs::create_directories(share);
    EXPECT_EQ(help_page_path(bin.string()), (bin / kHelpFile).string()) << "neither: beside";
    std::ofstream(share / kHelpFile) << "guide";
    EXPECT_EQ(help_page_path(bin.string()), (share / kHelpFile).string());
    std::ofstream(bin / kHelpFile) << "guide";
    EXPECT_EQ(help_page_path(bin.string()), (bin / kHelpFile).string());
    fs::remove_all(root);
}

}  // namespace
}  // namespace zemlo::app
