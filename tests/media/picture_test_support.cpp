#include "picture_test_support.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QString>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include "picture_runtime.h"

namespace zemlo::testing {

namespace {

constexpr int kDotsPerMetreAt96Dpi = 3780;

// Metafile text needs Qt's font database; create the off-screen application once.
class PictureRuntime : public ::testing::Environment {
  public:
    void SetUp() override { zemlo::media::ensure_picture_runtime(); }
};
const auto *const kRuntime = ::testing::AddGlobalTestEnvironment(new PictureRuntime);

}  // namespace

TempFolder::TempFolder() {
    static int counter = 0;
    path_ = std::filesystem::temp_directory_path() /
            ("zemlo_picture_" + std::to_string(::getpid()) + "_" + std::to_string(++counter));
    std::filesystem::create_directories(path_);
}

TempFolder::~TempFolder() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

void write_file(const std::string &path, const std::vector<uint8_t> &bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char *>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}

std::vector<uint8_t> read_file(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void save_image(QImage image, const std::string &path, const char *format) {
    image.setDotsPerMeterX(kDotsPerMetreAt96Dpi);
    image.setDotsPerMeterY(kDotsPerMetreAt96Dpi);
    ASSERT_TRUE(image.save(QString::fromStdString(path), format)) << path;
}

CliRun run_convert_picture(const TempFolder &work, const std::string &args,
                           const std::string &language) {
    const std::string err_file = work.file("stderr.txt");
    const std::string command = "ZEMLO_LANG=" + language + " ZEMLO_WORK_DIR='" +
                                work.path().string() + "' '" + ZEMLO_TEST_BIN_DIR +
                                "/zemlo-cli' convert picture " + args + " >/dev/null 2>'" +
                                err_file + "'";
    const int raw = std::system(command.c_str());
    const auto err = read_file(err_file);
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, std::string(err.begin(), err.end())};
}

}  // namespace zemlo::testing
