// The device worker's hand-over of requests, without a device: a link that was never opened
// answers every send at once with "not open", so what is tested is the worker alone.
#include "device_worker.h"

#include <gtest/gtest.h>

#include <array>
#include <optional>

#include "frame_link.h"
#include "request_record.h"

namespace handlink {
namespace {

// OpenComm hands its open request over the moment it has started the worker. A worker thread that
// set up its own starting state when it first ran would wipe a request posted before that, and the
// caller would get a stale result (or none) without the link ever being asked. Each round starts a
// fresh worker, whose stale result would be 0, and posts at once, many times over so that the
// thread's first run falls both before and after the post. (A wiped request can also leave the
// caller waiting for good; the test then fails by its time limit.)
TEST(DeviceWorker, RequestPostedAtOnceAfterTheStartReachesTheLink) {
    FrameLink link;
    std::array<uint8_t, kRequestRecordBytes> record{};
    const std::array<uint8_t, 1> command{0x02};
    const size_t size =
        build_command_record(command.data(), command.size(), record.data(), record.size());
    ASSERT_GT(size, 0u);
    for (int round = 0; round < 300; ++round) {
        DeviceWorker worker(link);
        ASSERT_TRUE(worker.start());
        ASSERT_EQ(worker.send(record.data(), size), std::optional<int32_t>(kLinkNotOpen))
            << "round " << round;
        worker.close_and_stop();
        EXPECT_FALSE(worker.running());
        // Once stopped, a request fails at once instead of waiting for a thread that is gone.
        EXPECT_EQ(worker.send(record.data(), size), std::nullopt);
    }
}

}  // namespace
}  // namespace handlink
