// Shared pieces of the picture tests: a private temporary folder and file helpers.
#pragma once

#include <QImage>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace zemlo::testing {

class TempFolder {
  public:
    TempFolder();
    ~TempFolder();
    const std::filesystem::path &path() const { return path_; }
    std::string file(const std::string &name) const { return (path_ / name).string(); }

  private:
    std::filesystem::path path_;
};

void write_file(const std::string &path, const std::vector<uint8_t> &bytes);
std::vector<uint8_t> read_file(const std::string &path);
// Saves an image (its resolution set to 96 dpi) in the given Qt format.
void save_image(QImage image, const std::string &path, const char *format);

struct CliRun {
    int status;
    std::string err;
};

// Runs "zemlo-cli convert picture ARGS" (ARGS quoted as the shell reads them) with its work
// folder in work, in the language given (ZEMLO_LANG); standard output is dropped.
CliRun run_convert_picture(const TempFolder &work, const std::string &args,
                           const std::string &language = "zh");

}  // namespace zemlo::testing
