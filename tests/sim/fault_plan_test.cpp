// The line faults as the control language sets them: which of the PC's frames are refused or left
// unanswered, which own frame is spoilt, and what Clear leaves for the service.
#include "fault_plan.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using handsim::FaultPlan;
using PcFrame = FaultPlan::PcFrame;

handsim::ControlCommand command(const char *line) {
    std::string error;
    const auto c = handsim::parse_control(line, &error);
    EXPECT_TRUE(c) << line << ": " << error;
    return c.value_or(handsim::ControlCommand{});
}

std::vector<PcFrame> next_frames(FaultPlan &plan, int n) {
    std::vector<PcFrame> out;
    for (int i = 0; i < n; ++i) {
        out.push_back(plan.on_pc_frame("frame", 0).frame);
    }
    return out;
}

TEST(FaultPlan, RefusesEveryNthFrameAndDropsOneAnswer) {
    FaultPlan plan;
    EXPECT_TRUE(plan.apply(command("nak-every 3")));
    EXPECT_TRUE(plan.apply(command("drop-ack 3")));
    // Frame 3 is refused, so the drop waits for a frame that is not: it never comes back to 3.
    EXPECT_EQ(next_frames(plan, 6),
              (std::vector<PcFrame>{PcFrame::Take, PcFrame::Take, PcFrame::Nak, PcFrame::Take,
                                    PcFrame::Take, PcFrame::Nak}));
    EXPECT_TRUE(plan.apply(command("drop-ack 2")));
    EXPECT_EQ(next_frames(plan, 3),
              (std::vector<PcFrame>{PcFrame::Take, PcFrame::Drop, PcFrame::Nak}));
}

TEST(FaultPlan, SpoilsOneOwnFrameAndClearIsPassedOn) {
    FaultPlan plan;
    EXPECT_TRUE(plan.apply(command("bad-checksum 2")));
    EXPECT_TRUE(plan.apply(command("noise on")));
    EXPECT_FALSE(plan.on_own_frame("frame", 0).corrupt);
    const auto second = plan.on_own_frame("frame", 0);
    EXPECT_TRUE(second.corrupt);
    ASSERT_GE(second.noise_count, 1u);
    for (size_t i = 0; i < second.noise_count; ++i) {
        EXPECT_NE(second.noise[i], 0x02);  // never a frame start or an answer
        EXPECT_NE(second.noise[i], 0x06);
        EXPECT_NE(second.noise[i], 0x15);
    }
    EXPECT_FALSE(plan.on_own_frame("frame", 0).corrupt) << "only once";

    EXPECT_TRUE(plan.apply(command("delay 40")));
    EXPECT_EQ(plan.delay_ms(), 40u);
    EXPECT_FALSE(plan.apply(command("clear"))) << "the service clears its own faults too";
    EXPECT_EQ(plan.delay_ms(), 0u);
    EXPECT_EQ(plan.on_own_frame("frame", 0).noise_count, 0u);
    EXPECT_FALSE(plan.apply(command("event 1")));
}

TEST(FaultPlan, NumbersEveryFrameEitherWayAndPlacesAFaultAtOneOfThem) {
    std::vector<handsim::ExchangePoint> told;
    FaultPlan plan([&](const handsim::ExchangePoint &p) { told.push_back(p); });
    plan.on_pc_frame("handshake", 0);
    // Counted from the command: the third frame from now is frame 4, whichever side sends it.
    EXPECT_TRUE(plan.apply(command("at 3 lose-ack")));
    EXPECT_TRUE(plan.apply(command("at 2 event 1")));
    EXPECT_FALSE(plan.on_pc_frame("handshake", 1).placed);
    const auto reply = plan.on_own_frame("reply", 0);
    ASSERT_TRUE(reply.placed);
    EXPECT_EQ(reply.placed->fault, handsim::PointFault::Event);
    EXPECT_EQ(reply.placed->argument, 1u);
    const auto list = plan.on_pc_frame("list", 0);
    ASSERT_TRUE(list.placed);
    EXPECT_EQ(list.placed->fault, handsim::PointFault::LoseAck);
    EXPECT_EQ(list.frame, PcFrame::Take);
    EXPECT_FALSE(plan.on_pc_frame("list", 1).placed) << "each fault once";

    const std::vector<handsim::ExchangePoint> expected = {{1, true, "handshake", 0},
                                                          {2, true, "handshake", 1},
                                                          {3, false, "reply", 0},
                                                          {4, true, "list", 0},
                                                          {5, true, "list", 1}};
    EXPECT_EQ(plan.exchange(), expected);
    EXPECT_EQ(told, expected) << "the caller hears of each frame as it goes";

    EXPECT_TRUE(plan.apply(command("at 1 drop")));
    plan.apply(command("clear"));
    EXPECT_FALSE(plan.on_own_frame("reply", 0).placed) << "clear takes placed faults too";
}

}  // namespace
