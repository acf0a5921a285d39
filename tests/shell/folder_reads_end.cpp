// The folder reads a window starts run on threads of their own and use the toolkit's globals,
// which go when the process ends: a test program's end waits for any still running, as the
// program's own end does, instead of pulling those globals from under them.
#include <gtest/gtest.h>

#include <chrono>

#include "background_scan.h"

namespace {

class FolderReadsEnd : public ::testing::Environment {
  public:
    void TearDown() override {
        zemlo::shell::BackgroundScan::wait_for_reads(std::chrono::seconds(30));
    }
};

[[maybe_unused]] ::testing::Environment *const folder_reads_end =
    ::testing::AddGlobalTestEnvironment(new FolderReadsEnd);

}  // namespace
