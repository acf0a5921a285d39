// What `ports` says about a USB adapter's latency timer, read from a sysfs tree made here.
#include "adapter_latency.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace zemlo::cli {
namespace {

namespace fs = std::filesystem;
using handlink::LowLatency;

TEST(AdapterLatency, TimerReadFromSysfsThroughAByIdLink) {
    const fs::path root = fs::path(::testing::TempDir()) / "zemlo-sysfs";
    fs::remove_all(root);
    fs::create_directories(root / "class/tty/ttyUSB7/device");
    std::ofstream(root / "class/tty/ttyUSB7/device/latency_timer") << "16\n";
    fs::create_directories(root / "class/tty/ttyS0/device");  // a UART: no timer
    fs::create_directories(root / "dev/serial/by-id");
    std::ofstream(root / "dev/ttyUSB7");
    fs::create_symlink(root / "dev/ttyUSB7", root / "dev/serial/by-id/usb-Adapter_A1-port0");

    EXPECT_EQ(read_latency_timer((root / "dev/ttyUSB7").string(), root.string()), 16);
    EXPECT_EQ(read_latency_timer((root / "dev/serial/by-id/usb-Adapter_A1-port0").string(),
                                 root.string()),
              16);
    EXPECT_FALSE(read_latency_timer("/dev/ttyS0", root.string()));
    std::ofstream(root / "class/tty/ttyUSB7/device/latency_timer") << "junk";
    EXPECT_FALSE(read_latency_timer("/dev/ttyUSB7", root.string()));
    fs::remove_all(root);
}

TEST(AdapterLatency, RuleOnlyWhereTheTimerStaysAboveOneMillisecond) {
    EXPECT_TRUE(latency_rule_needed(16, LowLatency::Refused));
    EXPECT_TRUE(latency_rule_needed(16, LowLatency::Unsupported));
    EXPECT_FALSE(latency_rule_needed(16, LowLatency::TurnedOn)) << "each open fixes it";
    EXPECT_FALSE(latency_rule_needed(16, LowLatency::Unknown)) << "not known: no advice";
    EXPECT_FALSE(latency_rule_needed(1, LowLatency::Refused));
    EXPECT_FALSE(latency_rule_needed(std::nullopt, LowLatency::Refused));
    EXPECT_EQ(latency_udev_rule("ftdi_sio"),
              "ACTION==\"add\", SUBSYSTEM==\"usb-serial\", DRIVERS==\"ftdi_sio\", "
              "ATTR{latency_timer}=\"1\"");
    EXPECT_EQ(latency_udev_rule(""),
              "ACTION==\"add\", SUBSYSTEM==\"usb-serial\", ATTR{latency_timer}=\"1\"");
}

}  // namespace
}  // namespace zemlo::cli
