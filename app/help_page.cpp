#include "help_page.h"

#include <filesystem>
#include <system_error>

namespace zemlo::app {

std::string help_page_path(const std::string &module_dir) {
    namespace fs = std::filesystem;
    const fs::path beside = fs::path(module_dir) / kHelpFile;
    const fs::path installed = fs::path(module_dir) / ".." / "share" / "zemlo" / kHelpFile;
    std::error_code ec;
    return (fs::exists(beside, ec) || !fs::exists(installed, ec) ? beside : installed)
        .lexically_normal()
        .string();
}

}  // namespace zemlo::app
