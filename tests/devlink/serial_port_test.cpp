#include "serial_port.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>

#include <unistd.h>

#include "port_directory.h"
#include "pty_peer.h"
#include "wait_until.h"

namespace handlink {
namespace {

using testing::Bytes;
using testing::PtyPeer;
using zemlo::testing::wait_until;
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

// The threads of this process now, by id.
std::set<std::string> thread_ids() {
    std::set<std::string> ids;
    std::error_code ec;
    for (std::filesystem::directory_iterator it("/proc/self/task", ec), end; !ec && it != end;
         it.increment(ec)) {
        ids.insert(it->path().filename().string());
    }
    return ids;
}

// Whether one of these threads has ended.
bool one_ended(const std::set<std::string> &threads) {
    const std::set<std::string> now = thread_ids();
    for (const std::string &id : threads) {
        if (now.count(id) == 0) {
            return true;
        }
    }
    return false;
}

// Counts the lost-line reports and wakes the test at the first.
struct LostWatch {
    std::mutex mutex;
    std::condition_variable cv;
    int count = 0;

    static void on_lost(void *context) {
        auto *watch = static_cast<LostWatch *>(context);
        {
            std::lock_guard lock(watch->mutex);
            ++watch->count;
        }
        watch->cv.notify_all();
    }
    bool wait(std::chrono::milliseconds bound) {
        std::unique_lock lock(mutex);
        return cv.wait_for(lock, bound, [&] { return count > 0; });
    }
};

TEST(SerialPort, HangUpIsReportedOnceAndWritesFailAtOnceUntilTheNextOpen) {
    auto peer = std::make_unique<PtyPeer>();
    ASSERT_TRUE(peer->ok());
    set_port_device(13, peer->device().c_str());
    SerialPort port;
    Sink sink;
    LostWatch watch;
    port.set_lost_handler(&LostWatch::on_lost, &watch);
    const std::set<std::string> before_open = thread_ids();
    ASSERT_EQ(port.open(13, kBaud, &Sink::take, &sink), kSerialOk);
    EXPECT_FALSE(port.line_lost());
    // The port's watch, and whatever a sanitizer starts beside the first thread (which stays).
    std::set<std::string> started;
    for (const std::string &id : thread_ids()) {
        if (before_open.count(id) == 0) {
            started.insert(id);
        }
    }
    ASSERT_FALSE(started.empty()) << "the port's watch runs";

    const auto pulled = std::chrono::steady_clock::now();
    peer.reset();  // both sides of the pseudo-terminal gone: the PC's end hangs up
    ASSERT_TRUE(watch.wait(2s));
    EXPECT_TRUE(port.line_lost());
    const auto write_started = std::chrono::steady_clock::now();
    EXPECT_FALSE(port.write_byte(0x55));
    // Not the second a write waits for room in a live driver's queue.
    EXPECT_LT(std::chrono::steady_clock::now() - write_started, 500ms) << "no wait for room";
    EXPECT_LT(std::chrono::steady_clock::now() - pulled, 1s);
    // The loss is told once, not on every turn of the watch: the watch ends with it, on its own
    // (the reader thread is gone before close() is asked to stop it), so nothing is left to tell
    // it again.
    EXPECT_TRUE(wait_until([&] { return one_ended(started); }, 2s));
    {
        std::lock_guard lock(watch.mutex);
        EXPECT_EQ(watch.count, 1);
    }
    port.close();

    // Plugged in again (a new device under the same name): the next open serves as before.
    PtyPeer back;
    set_port_device(13, back.device().c_str());
    ASSERT_EQ(port.open(13, kBaud, &Sink::take, &sink), kSerialOk);
    EXPECT_FALSE(port.line_lost());
    EXPECT_TRUE(port.write(Bytes{7, 8}.data(), 2));
    EXPECT_EQ(back.read(2), (Bytes{7, 8}));
    port.close();
    set_port_device(13, nullptr);
}

TEST(SerialPort, NodeThatNowNamesAnotherDeviceCountsAsLost) {
    // The port is opened through a link, as a by-id name or the emulator's link; the link is then
    // removed and made again for another device while the first one still answers.
    PtyPeer first;
    PtyPeer second;
    ASSERT_TRUE(first.ok() && second.ok());
    const std::string link = ::testing::TempDir() + "zemlo-node-" + std::to_string(::getpid());
    ::unlink(link.c_str());
    ASSERT_EQ(::symlink(first.device().c_str(), link.c_str()), 0);
    set_port_device(14, link.c_str());
    SerialPort port;
    Sink sink;
    LostWatch watch;
    port.set_lost_handler(&LostWatch::on_lost, &watch);
    ASSERT_EQ(port.open(14, kBaud, &Sink::take, &sink), kSerialOk);
    ASSERT_TRUE(first.write(Bytes{1}));
    ASSERT_TRUE(sink.wait_for(1));
    EXPECT_FALSE(port.line_lost());

    ::unlink(link.c_str());
    ASSERT_EQ(::symlink(second.device().c_str(), link.c_str()), 0);
    EXPECT_TRUE(watch.wait(std::chrono::milliseconds(4 * kNodeCheckMs)));
    EXPECT_TRUE(port.line_lost());
    port.close();
    ::unlink(link.c_str());
    set_port_device(14, nullptr);
}

}  // namespace
}  // namespace handlink
