// The library against a handset that would have it work on the wrong device or wait for ever:
// OpenComm while a port is open, and a flood of unrelated messages during a request.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <string>
#include <thread>

#include "api_session.h"

namespace handlink::testing {
namespace {

constexpr uint32_t kFirst = 5;
constexpr uint32_t kOther = 6;
constexpr uint32_t kSameDevice = 9;  // a second COM number mapped to the first device

TEST(SecondOpen, AnotherDeviceIsRefusedTheSameDeviceKeepsTheLink) {
    ScriptedHandset first;
    ScriptedHandset other;
    ASSERT_TRUE(first.ok() && other.ok());
    HandlinkApi api;
    ASSERT_TRUE(api.ok()) << HandlinkApi::error();
    api.SetPortDevice(kFirst, first.device().c_str());
    api.SetPortDevice(kOther, other.device().c_str());
    api.SetPortDevice(kSameDevice, first.device().c_str());
    uint8_t body[4] = {};
    auto power_up = api.request("phiPowerUpSig");

    ASSERT_EQ(api.OpenComm(kFirst, kTestBaud), HL_OPEN_OK);
    EXPECT_EQ(api.OpenComm(kOther, kTestBaud), HL_OPEN_DEVICE_ERROR);
    char why[256];
    api.GetLastOpenError(why, sizeof why);
    const std::string reason = why;
    EXPECT_NE(reason.find("COM6 is " + other.device()), std::string::npos) << reason;
    EXPECT_NE(reason.find(first.device() + " is open"), std::string::npos) << reason;
    // The link stayed where it was: a request still reaches the first handset.
    EXPECT_EQ(power_up(body, nullptr), 0);
    EXPECT_EQ(first.wait_records(1).size(), 1u);
    first.clear();

    // The same device under another number, or the same number again: the link is kept.
    EXPECT_EQ(api.OpenComm(kSameDevice, kTestBaud), HL_OPEN_OK);
    EXPECT_EQ(api.OpenComm(kFirst, kTestBaud), HL_OPEN_OK);
    EXPECT_EQ(api.GetLastOpenError(why, sizeof why), 0u);

    // Switching takes a close first, then goes to the other device only.
    api.CloseComm();
    ASSERT_EQ(api.OpenComm(kOther, kTestBaud), HL_OPEN_OK);
    EXPECT_EQ(power_up(body, nullptr), 0);
    EXPECT_EQ(other.wait_records(1).size(), 1u);
    EXPECT_TRUE(first.frames().empty());
    api.CloseComm();
    for (const uint32_t port : {kFirst, kOther, kSameDevice}) {
        api.SetPortDevice(port, nullptr);
    }
}

using FloodedRequest = ApiSession;

TEST_F(FloodedRequest, UnrelatedMessagesCannotHoldARequestForEver) {
    setup();
    api.SetTimeoutMs(100);
    // Something else every 20 ms, for as long as the request waits: each restarts the wait, but
    // the request still ends, with a time-out, after 8 timeouts in all.
    std::atomic<bool> flooding{true};
    std::chrono::steady_clock::duration longest_gap{};  // the flood's, read after the join
    std::thread flood([&] {
        auto last = std::chrono::steady_clock::now();
        while (flooding) {
            handset.send(0xD3, signal_message(5, 5, 0x1008, {1, 2, 3}));
            const auto now = std::chrono::steady_clock::now();
            longest_gap = std::max(longest_gap, now - last);
            last = now;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));  // the flood's pace
        }
    });
    uint8_t rssi[8] = {};
    std::vector<uint8_t> reply(kReplyBytes);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(call("phiCalDevGsmRssiReq", rssi, reply.data()), HL_TIMEOUT);
    const double ms = elapsed_ms(start);
    flooding = false;
    flood.join();
    EXPECT_LT(ms, 3000);
    // The flood held the request up to its limit only if it kept well inside one timeout; a
    // machine too busy to let it says nothing about the limit, only that the request ended.
    if (longest_gap < std::chrono::milliseconds(50)) {
        EXPECT_GE(ms, 750);
    }
}

}  // namespace
}  // namespace handlink::testing
