#include "serial_port.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <string>

#include "port_directory.h"
#include "pty_peer.h"

namespace handlink {
namespace {

using testing::Bytes;
using testing::PtyPeer;
using namespace std::chrono_literals;

constexpr uint32_t kBaud = 115200;

// Collects what the reader thread delivers.
struct Sink {
    std::mutex mutex;
    std::condition_variable grew;
    Bytes bytes;

    static void take(void *context, uint8_t byte) {
        auto *sink = static_cast<Sink *>(context);
        {
            std::lock_guard lock(sink->mutex);
            sink->bytes.push_back(byte);
        }
        sink->grew.notify_all();
    }
    bool wait_for(size_t count) {
        std::unique_lock lock(mutex);
        return grew.wait_for(lock, 2s, [&] { return bytes.size() >= count; });
    }
};

TEST(PortDirectory, SetPathThenEnvironmentThenTtyS) {
    unsetenv("HANDLINK_COM7");
    EXPECT_EQ(resolve_port_device(7), "/dev/ttyS6");
    setenv("HANDLINK_COM7", "/dev/ttyUSB3", 1);
    EXPECT_EQ(resolve_port_device(7), "/dev/ttyUSB3");
    set_port_device(7, "/dev/ttyACM0");
    EXPECT_EQ(resolve_port_device(7), "/dev/ttyACM0");
    set_port_device(7, "");
    EXPECT_EQ(resolve_port_device(7), "/dev/ttyUSB3");
    unsetenv("HANDLINK_COM7");
    EXPECT_EQ(resolve_port_device(1), "/dev/ttyS0");
}

TEST(SerialPort, ValidationComesBeforeAnyDevice) {
    SerialPort port;
    Sink sink;
    set_port_device(9, "/dev/zemlo-no-such-port");
    EXPECT_EQ(port.open(0, kBaud, &Sink::take, &sink), kSerialBadPort);
    EXPECT_EQ(port.open(0, 14400, &Sink::take, &sink), kSerialBadPort);
    EXPECT_EQ(port.open(9, 14400, &Sink::take, &sink), kSerialBadBaud);
    EXPECT_EQ(port.last_open_failure().error_number, 0);  // the device was never tried

    EXPECT_EQ(port.open(9, kBaud, &Sink::take, &sink), kSerialNotOpened);
    const OpenFailure failure = port.last_open_failure();
    EXPECT_EQ(failure.error_number, ENOENT);
    EXPECT_EQ(failure.describe(), "no such device /dev/zemlo-no-such-port");
    EXPECT_FALSE(port.is_open());
    set_port_device(9, nullptr);

    EXPECT_EQ((OpenFailure{EACCES, "/dev/ttyUSB0"}.describe()),
              "permission denied on /dev/ttyUSB0 (join the dialout group and log in again)");
}

TEST(SerialPort, CloseOfANeverOpenedPortOnlySettles) {
    SerialPort port;
    const auto start = std::chrono::steady_clock::now();
    port.close();
    EXPECT_GE(std::chrono::steady_clock::now() - start, 200ms);
    EXPECT_FALSE(port.write_byte(0x55));
}

TEST(SerialPort, DeliversEveryByteInOrderHeldExclusivelyAndReopens) {
    PtyPeer peer;
    ASSERT_TRUE(peer.ok());
    set_port_device(12, peer.device().c_str());
    SerialPort port;
    Sink sink;
    ASSERT_EQ(port.open(12, 230400, &Sink::take, &sink), kSerialOk);

    // A second opener, in this process or any other, is turned away as busy.
    SerialPort second;
    EXPECT_EQ(second.open(12, kBaud, &Sink::take, &sink), kSerialNotOpened);
    EXPECT_EQ(second.last_open_failure().describe(),
              peer.device() + " is busy (another program holds it)");

    Bytes sent(3000);
    for (size_t i = 0; i < sent.size(); ++i) {
        sent[i] = static_cast<uint8_t>(i * 7);
    }
    ASSERT_TRUE(peer.write(sent));
    ASSERT_TRUE(sink.wait_for(sent.size()));
    {
        std::lock_guard lock(sink.mutex);
        EXPECT_EQ(sink.bytes, sent);
    }
    port.close();
    EXPECT_FALSE(port.is_open());

    // Reopening repeats the whole sequence, at a speed without a standard constant too.
    ASSERT_EQ(port.open(12, 28800, &Sink::take, &sink), kSerialOk);
    EXPECT_TRUE(port.write(Bytes{1, 2, 3}.data(), 3));
    EXPECT_EQ(peer.read(3), (Bytes{1, 2, 3}));
    port.close();
    set_port_device(12, nullptr);
}

}  // namespace
}  // namespace handlink
