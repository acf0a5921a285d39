#include "picture_test_support.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <QString>
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

}  // namespace zemlo::testing
