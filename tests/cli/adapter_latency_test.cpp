// What `ports` says about a USB adapter's latency timer, read from a sysfs tree made here, and
// the by-id name a chosen adapter is kept under.
#include "adapter_latency.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "zemlo/stable_device_name.h"

namespace zemlo::cli {
namespace {

namespace fs = std::filesystem;

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

namespace zemlo {
namespace {

TEST(StableDeviceName, AdapterIsKeptUnderItsByIdName) {
    namespace fs = std::filesystem;
    const fs::path root = fs::path(::testing::TempDir()) / "zemlo-by-id";
    fs::remove_all(root);
    fs::create_directories(root / "by-id");
    std::ofstream(root / "ttyUSB3");
    std::ofstream(root / "ttyS0");
    const std::string by_id = (root / "by-id" / "usb-Adapter_A1-if00-port0").string();
    fs::create_symlink("../ttyUSB3", by_id);
    const std::string dir = (root / "by-id").string();

    EXPECT_EQ(stable_device_name((root / "ttyUSB3").string(), dir), by_id);
    EXPECT_EQ(stable_device_name(by_id, dir), by_id);
    // No by-id name, or not there at all: kept as chosen.
    EXPECT_EQ(stable_device_name((root / "ttyS0").string(), dir), (root / "ttyS0").string());
    EXPECT_EQ(stable_device_name((root / "ttyUSB9").string(), dir), (root / "ttyUSB9").string());
    EXPECT_EQ(stable_device_name("", dir), "");
    // Plugged in again under another number: the stored name still leads to it.
    fs::rename(root / "ttyUSB3", root / "ttyUSB5");
    fs::remove(by_id);
    fs::create_symlink("../ttyUSB5", by_id);
    EXPECT_EQ(fs::canonical(by_id), fs::canonical(root / "ttyUSB5"));
    fs::remove_all(root);
}

}  // namespace
}  // namespace zemlo
