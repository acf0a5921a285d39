// The guards of zemlo-cli's handset commands that need no handset: the overall deadline, its
// option, and which mapped devices count as serial ports in the port hint.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <future>

#include "command_deadline.h"
#include "global_options.h"
#include "serial_port_check.h"

namespace zemlo::cli {
namespace {

using namespace std::chrono_literals;
using Args = std::vector<std::string>;

TEST(DeadlineOption, DefaultsAndBounds) {
    std::string error;
    Args none{"list"};
    EXPECT_EQ(extract_global_options(none, &error)->deadline_seconds, kDefaultDeadlineSeconds);
    Args given{"list", "--deadline=7"};
    EXPECT_EQ(extract_global_options(given, &error)->deadline_seconds, 7u);
    EXPECT_EQ(given, Args{"list"});
    for (Args bad : {Args{"--deadline", "0"}, Args{"--deadline", "-1"}, Args{"--deadline", "1s"},
                     Args{"--deadline", "86401"}, Args{"--deadline", "2", "--deadline", "3"}}) {
        EXPECT_FALSE(extract_global_options(bad, &error)) << bad.back();
        EXPECT_NE(error.find("--deadline"), std::string::npos) << error;
    }
}

TEST(CommandDeadline, FiresOnceThenGivesUpWhenTheCommandDoesNotEnd) {
    std::promise<void> expired;
    std::promise<void> stuck;
    {
        CommandDeadline d(
            10ms, 10ms, [&] { expired.set_value(); }, [&] { stuck.set_value(); });
        EXPECT_EQ(expired.get_future().wait_for(10s), std::future_status::ready);
        EXPECT_EQ(stuck.get_future().wait_for(10s), std::future_status::ready);
    }
}

TEST(CommandDeadline, ACommandThatEndsInTimeOrAfterTheExpiryIsLeftAlone) {
    std::atomic<int> calls{0};
    {
        CommandDeadline d(
            1h, 1h, [&] { ++calls; }, [&] { ++calls; });
    }
    EXPECT_EQ(calls.load(), 0);
    // Ended within the grace period: the expiry runs, the last resort does not.
    std::promise<void> expired;
    std::atomic<bool> stuck{false};
    {
        CommandDeadline d(
            1ms, 1h, [&] { expired.set_value(); }, [&] { stuck = true; });
        expired.get_future().wait();
    }
    EXPECT_FALSE(stuck.load());
}

TEST(SerialPortCheck, OnlyTerminalDevicesCount) {
    EXPECT_TRUE(is_serial_port_kind(true, 4, "tty"));
    EXPECT_TRUE(is_serial_port_kind(true, 188, "tty"));  // a USB adapter
    EXPECT_TRUE(is_serial_port_kind(true, 136, ""));     // a pseudo-terminal
    EXPECT_FALSE(is_serial_port_kind(true, 1, "mem"));   // /dev/null, /dev/zero
    EXPECT_FALSE(is_serial_port_kind(false, 136, "tty"));

    EXPECT_FALSE(is_serial_port("/dev/null"));
    EXPECT_FALSE(is_serial_port("/tmp"));
    EXPECT_FALSE(is_serial_port("/nonexistent/ttyUSB0"));
    char name[] = "/tmp/zemlo-guard-XXXXXX";
    const int file = ::mkstemp(name);
    ASSERT_GE(file, 0);
    EXPECT_FALSE(is_serial_port(name));
    ::close(file);
    ::unlink(name);

    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(master, 0);
    ASSERT_EQ(::grantpt(master), 0);
    ASSERT_EQ(::unlockpt(master), 0);
    const std::string pty = ::ptsname(master);
    EXPECT_TRUE(is_serial_port(pty));
    // Through a link, as the emulator's path is.
    const std::string link = std::string(name) + ".link";
    std::filesystem::create_symlink(pty, link);
    EXPECT_TRUE(is_serial_port(link));
    std::filesystem::remove(link);
    ::close(master);
}

}  // namespace
}  // namespace zemlo::cli
