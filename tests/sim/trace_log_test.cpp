// The emulator's trace file is opened as the link library's is: a regular file, appended to, and
// never a pipe (whose open would wait for a reader) or a device.
#include "trace_log.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace {

namespace fs = std::filesystem;

TEST(TraceLog, OpensOnlyARegularFileAndNeverWaits) {
    char pattern[] = "/tmp/zemlo-trace-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    const fs::path dir = pattern;
    const fs::path fifo = dir / "fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    std::string error;
    {
        const auto began = std::chrono::steady_clock::now();
        handsim::TraceLog log;
        EXPECT_FALSE(log.open(fifo.string(), &error));
        EXPECT_LT(std::chrono::steady_clock::now() - began, std::chrono::seconds(5));
        EXPECT_NE(error.find("not a regular file"), std::string::npos) << error;
        EXPECT_FALSE(log.open("/dev/null", &error));
        EXPECT_FALSE(log.enabled());
    }
    const fs::path file = dir / "trace.txt";
    std::ofstream(file) << "earlier\n";
    {
        handsim::TraceLog log;
        ASSERT_TRUE(log.open(file.string(), &error)) << error;
        log.note("hello");
    }
    std::ifstream in(file);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(text.rfind("earlier\n", 0), 0u) << text;
    EXPECT_NE(text.find("HS NOTE hello"), std::string::npos) << text;
    fs::remove_all(dir);
}

}  // namespace
