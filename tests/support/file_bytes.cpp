#include "file_bytes.h"

#include <fstream>
#include <iterator>

namespace zemlo::testing {

std::string read_file(const std::filesystem::path &p) {
    std::ifstream f(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}

void write_file(const std::filesystem::path &p, const std::vector<uint8_t> &bytes) {
    std::ofstream f(p, std::ios::binary | std::ios::trunc);
    f.write(reinterpret_cast<const char *>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
}

}  // namespace zemlo::testing
