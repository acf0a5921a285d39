// ConvertBmp through the built libpicmill.so and libdisplay.so. Each call runs in a child
// process: the library loads libdisplay.so by bare name, and a driver still loaded in this
// process from an earlier test would be found instead of the one beside the library under test.
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "bitmap_builder.h"
#include "picmill.h"

namespace {

namespace fs = std::filesystem;

using zemlo::testing::BitmapSpec;
using zemlo::testing::build_bitmap;

struct ChildRun {
    int result = -1;
    std::string out;  // what the library printed on standard output
};

// Loads library_dir/libpicmill.so in a child process and calls ConvertBmp there.
ChildRun convert_in_child(const fs::path &library_dir, const std::string &bmp,
                          const std::string &el) {
    const fs::path out_file =
        fs::temp_directory_path() / ("picmill_out_" + std::to_string(getpid()));
    std::fflush(stdout);
    const pid_t pid = fork();
    if (pid == 0) {
        const int fd = ::open(out_file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ::dup2(fd, STDOUT_FILENO);
        void *lib = ::dlopen((library_dir / PICMILL_LIBRARY_NAME).c_str(), RTLD_NOW);
        if (lib == nullptr) {
            _exit(100);
        }
        auto convert = reinterpret_cast<ConvertBmpFn>(::dlsym(lib, PICMILL_CONVERT_SYMBOL));
        _exit(convert != nullptr ? convert(bmp.c_str(), el.c_str()) : 101);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    ChildRun run;
    run.result = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::ifstream in(out_file);
    run.out.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    fs::remove(out_file);
    return run;
}

std::string read_text(const fs::path &p) {
    std::ifstream in(p);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class ConvertBmp : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("picmill_test_" + std::to_string(getpid()) + "_" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::string write_bitmap(const std::vector<uint8_t> &bytes, const std::string &name) {
        const fs::path p = dir_ / name;
        std::ofstream(p, std::ios::binary)
            .write(reinterpret_cast<const char *>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
        return p.string();
    }

    fs::path dir_;
    const fs::path bin_ = ZEMLO_TEST_BIN_DIR;
};

TEST_F(ConvertBmp, WritesTheTextOfASmallBitmap) {
    BitmapSpec shape{.width = 2, .height = 1};
    shape.pixels = {0xFF0000, 0x000000};
    const std::string bmp = write_bitmap(build_bitmap(shape), "in.bmp");
    const std::string el = (dir_ / "tmp.el").string();
    const ChildRun run = convert_in_child(bin_, bmp, el);
    EXPECT_EQ(run.result, 1);
    EXPECT_EQ(run.out, "writing " + el + "\n");
    const std::string text = read_text(el);
    EXPECT_NE(text.find("       2, /* bmWidth     */\n       1, /* bmHeight    */\n"
                        "       4, /* bmSizeImage */\n"),
              std::string::npos);
    EXPECT_NE(text.find("  {\n    0x00, 0xf8, 0x00, 0x00, \n  }\n};\n#endif\n"), std::string::npos)
        << text;
}

TEST_F(ConvertBmp, PathsWithCommasConvert) {
    fs::create_directories(dir_ / "a,b");
    const std::string bmp = write_bitmap(build_bitmap({.width = 1, .height = 1}), "a,b/in.bmp");
    const std::string el = (dir_ / "a,b" / "tmp.el").string();
    EXPECT_EQ(convert_in_child(bin_, bmp, el).result, 1);
    EXPECT_TRUE(fs::exists(el));
}

TEST_F(ConvertBmp, RefusedBitmapsLeaveNoText) {
    const std::string el = (dir_ / "tmp.el").string();
    const std::string text_file = write_bitmap({'#', 'x'}, "text.bmp");
    EXPECT_EQ(convert_in_child(bin_, text_file, el).out, text_file + " not BMP file\n");
    auto rle =
        build_bitmap({.width = 2, .height = 2, .bits = 4, .compression = 2, .palette = {{}, {}}});
    const ChildRun compressed = convert_in_child(bin_, write_bitmap(rle, "rle.bmp"), el);
    EXPECT_EQ(compressed.result, 0);
    EXPECT_EQ(compressed.out, "Error: BMP file must not be compressed\n");
    EXPECT_FALSE(fs::exists(el));
}

TEST_F(ConvertBmp, AGraphicPastSixteenBitsIsRefusedNotOverrun) {
    const std::string bmp = write_bitmap(
        build_bitmap({.width = 200, .height = 200, .bits = 1, .palette = {{}, {}}}), "big.bmp");
    const ChildRun run = convert_in_child(bin_, bmp, (dir_ / "tmp.el").string());
    EXPECT_EQ(run.result, 0);
    EXPECT_EQ(run.out,
              "Error: BMP graphic needs 80005 bytes; the display driver accepts 1 to "
              "65535\n");
}

TEST_F(ConvertBmp, DriverMissingOrWithoutDescription) {
    const std::string bmp = write_bitmap(build_bitmap({.width = 1, .height = 1}), "in.bmp");
    const std::string el = (dir_ / "tmp.el").string();
    const fs::path lib_dir = dir_ / "lib";
    fs::create_directories(lib_dir);
    fs::copy_file(bin_ / PICMILL_LIBRARY_NAME, lib_dir / PICMILL_LIBRARY_NAME);

    // The driver beside the library is missing, though the test program's folder has one.
    const ChildRun missing = convert_in_child(lib_dir, bmp, el);
    EXPECT_EQ(missing.result, 0);
    EXPECT_EQ(missing.out.rfind("Error: cannot load ", 0), 0u) << missing.out;
    EXPECT_NE(missing.out.find("libdisplay.so"), std::string::npos) << missing.out;

    fs::copy_file(ZEMLO_TEST_DRIVER_WITHOUT_DESCRIBE, lib_dir / "libdisplay.so");
    const ChildRun plain = convert_in_child(lib_dir, bmp, el);
    EXPECT_EQ(plain.result, 1) << plain.out;
    EXPECT_TRUE(fs::exists(el));
}

}  // namespace
