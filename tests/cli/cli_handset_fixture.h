// What the tests of zemlo-cli against a handset start from: a scratch folder holding the handset
// emulator's store and link, the program beside the test program, and a run of it with a private
// profile and work folder.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "child_process.h"
#include "handsim/emulator.h"

namespace zemlo::testing {

class CliHandsetFixture : public ::testing::Test {
  protected:
    void SetUp() override {
        char tmpl[] = "/tmp/zemlo-cli-XXXXXX";
        const char *made = ::mkdtemp(tmpl);
        ASSERT_NE(made, nullptr);
        dir_ = made;
        store_ = dir_ / "store";
        std::filesystem::create_directories(store_ / "pic");
        std::filesystem::create_directories(store_ / "melody");
        link_ = dir_ / "ttyHS";
        bin_ = std::filesystem::read_symlink("/proc/self/exe").parent_path();
    }

    void TearDown() override {
        if (sim_) {
            sim_->stop();
        }
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }

    // Starts the emulator on the link over the store, with what the test changes of the options.
    void start_handset(const std::function<void(handsim::EmulatorOptions &)> &tune = {}) {
        handsim::EmulatorOptions o;
        o.link_path = link_.string();
        o.store_dir = store_.string();
        if (tune) {
            tune(o);
        }
        sim_ = std::make_unique<handsim::Emulator>(o);
        std::string error;
        ASSERT_TRUE(sim_->start(&error)) << error;
    }

    // zemlo-cli with the arguments, its own profile and work folder in the scratch folder, its
    // output in stdout.txt and stderr.txt there.
    ChildPlan cli_spec(const std::vector<std::string> &args) const {
        ChildPlan plan;
        plan.argv = {(bin_ / "zemlo-cli").string()};
        plan.argv.insert(plan.argv.end(), args.begin(), args.end());
        // Its own runtime folder too: the emulators the user runs meanwhile announce their links
        // in the real one, and `ports` would list them.
        plan.env = {"XDG_CONFIG_HOME=" + (dir_ / "config").string(),
                    "ZEMLO_WORK_DIR=" + (dir_ / "work").string(), "QT_QPA_PLATFORM=offscreen",
                    "XDG_RUNTIME_DIR=" + (dir_ / "run").string()};
        plan.out = dir_ / "stdout.txt";
        plan.err = dir_ / "stderr.txt";
        return plan;
    }

    std::string device() const { return "--device=" + link_.string(); }

    std::filesystem::path dir_, store_, link_, bin_;
    std::unique_ptr<handsim::Emulator> sim_;
};

}  // namespace zemlo::testing
