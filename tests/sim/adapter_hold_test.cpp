// When the emulated USB serial adapter lets the handset's bytes through.
#include "adapter_hold.h"

#include <gtest/gtest.h>

#include <numeric>

namespace {

using namespace std::chrono_literals;
using handsim::AdapterHold;

std::vector<uint8_t> counting(size_t n, uint8_t from = 0) {
    std::vector<uint8_t> v(n);
    std::iota(v.begin(), v.end(), from);
    return v;
}

TEST(AdapterHold, ShortRunWaitsForTheTimerOfItsFirstByte) {
    const AdapterHold::Clock::time_point t0{};
    AdapterHold hold(16ms);
    EXPECT_FALSE(hold.due());
    const uint8_t ack = 0x06;
    hold.push(t0, &ack, 1);
    hold.push(t0 + 10ms, counting(5).data(), 5);  // later bytes do not restart the timer
    EXPECT_EQ(hold.due(), t0 + 16ms);
    EXPECT_TRUE(hold.take(t0 + 15ms).empty());
    const auto out = hold.take(t0 + 16ms);
    ASSERT_EQ(out.size(), 6u);
    EXPECT_EQ(out[0], 0x06);
    EXPECT_EQ(out[5], 4);
    EXPECT_FALSE(hold.due());
    // The next byte starts a new timer.
    hold.push(t0 + 40ms, &ack, 1);
    EXPECT_EQ(hold.due(), t0 + 56ms);
}

TEST(AdapterHold, FullPacketGoesAtOnceAndTheRestKeepsItsOwnTimer) {
    const AdapterHold::Clock::time_point t0{};
    AdapterHold hold(16ms);
    const auto first = counting(40);
    const auto second = counting(30, 40);
    hold.push(t0, first.data(), first.size());
    hold.push(t0 + 3ms, second.data(), second.size());
    // The 62nd byte came in at 3 ms: that packet goes then, in order, and 8 bytes stay held.
    EXPECT_EQ(hold.due(), t0 + 3ms);
    const auto packet = hold.take(t0 + 3ms);
    ASSERT_EQ(packet.size(), AdapterHold::kPacketBytes);
    EXPECT_EQ(packet, counting(62));
    EXPECT_EQ(hold.held(), 8u);
    EXPECT_EQ(hold.due(), t0 + 19ms);
    EXPECT_EQ(hold.take(t0 + 19ms), counting(8, 62));

    // A large write leaves as packets of 62, the tail when its timer runs out.
    const auto big = counting(130);
    hold.push(t0 + 50ms, big.data(), big.size());
    EXPECT_EQ(hold.take(t0 + 50ms).size(), 124u);
    EXPECT_TRUE(hold.take(t0 + 65ms).empty());
    EXPECT_EQ(hold.take(t0 + 66ms), counting(6, 124));
}

TEST(AdapterHold, TimerReleasesAtMostAPacketAtATimeAndClearDropsAll) {
    const AdapterHold::Clock::time_point t0{};
    AdapterHold hold(1ms);
    const auto bytes = counting(70);
    hold.push(t0, bytes.data(), bytes.size());
    hold.clear();
    EXPECT_EQ(hold.held(), 0u);
    EXPECT_FALSE(hold.due());
    // Taken late, everything due by then comes out, oldest first.
    hold.push(t0, bytes.data(), 10);
    hold.push(t0 + 5ms, bytes.data() + 10, 60);
    EXPECT_EQ(hold.take(t0 + 100ms), bytes);
}

}  // namespace
