// Whole files in and out, for tests that prepare inputs and read back what a program wrote.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace zemlo::testing {

// The file's bytes; empty when it cannot be read.
std::string read_file(const std::filesystem::path &p);

// Replaces the file with the bytes.
void write_file(const std::filesystem::path &p, const std::vector<uint8_t> &bytes);

}  // namespace zemlo::testing
