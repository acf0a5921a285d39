// A fresh folder for each file test, with the private work folder inside it, and small helpers
// to write and read whole files.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "melody_midi_builder.h"

namespace zemlo::media::testing {

class MelodyFilesTest : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = std::filesystem::temp_directory_path() /
               ("zemlo-melody-" + std::to_string(::getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(dir_);
        std::filesystem::create_directories(dir_ / "work");
        ::setenv("ZEMLO_WORK_DIR", (dir_ / "work").c_str(), 1);
        ::unsetenv("ZEMLO_AUDIO_WAV");
    }
    void TearDown() override {
        ::unsetenv("ZEMLO_WORK_DIR");
        std::filesystem::remove_all(dir_);
    }

    // Writes bytes to a path relative to the test folder, creating folders; returns the path.
    std::string write(const std::string &name, const Bytes &bytes) const {
        const auto path = dir_ / name;
        std::filesystem::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char *>(bytes.data()), static_cast<long>(bytes.size()));
        return path.string();
    }
    static Bytes read(const std::filesystem::path &path) {
        std::ifstream in(path, std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    std::filesystem::path dir_;
};

}  // namespace zemlo::media::testing
