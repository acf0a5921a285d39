#include "receive_ring.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include <zemlo/byte_order.h>

#include "frame_receiver.h"

namespace handlink {
namespace {

using Bytes = std::vector<uint8_t>;
using Verdict = ReceiveRing::Verdict;

Bytes segment(uint8_t type, uint8_t sequence, const Bytes &message) {
    Bytes payload{type, sequence};
    payload.insert(payload.end(), message.begin(), message.end());
    return payload;
}

// A long-header message from the download task with the given body.
Bytes long_header_message(const Bytes &body) {
    Bytes message(zemlo::kLongBodyOffset, 0);
    message[0] = 83;
    zemlo::write_le16(message.data() + zemlo::kLongBodyLengthOffset,
                      static_cast<uint16_t>(body.size()));
    zemlo::write_le16(message.data() + zemlo::kLongSignalIdOffset, 0x7905);
    message.insert(message.end(), body.begin(), body.end());
    return message;
}

Verdict accept(ReceiveRing &ring, const Bytes &payload) {
    return ring.accept_segment(payload.data(), payload.size());
}

Bytes fetch(ReceiveRing &ring, size_t capacity = kSlotBytes) {
    Bytes out(capacity);
    out.resize(ring.fetch(out.data(), out.size()));
    return out;
}

class ReceiveRingTest : public ::testing::Test {
  protected:
    std::unique_ptr<ReceiveRing> ring = std::make_unique<ReceiveRing>();
};

TEST_F(ReceiveRingTest, SignalRecordsGetAFixedLengthAndOnlyKnownTypesStartOne) {
    EXPECT_EQ(accept(*ring, segment(0xD5, kLastSequence, {1, 2})), Verdict::Dropped);
    EXPECT_EQ(accept(*ring, Bytes{kSegmentSignal}), Verdict::Refused);  // no sequence byte
    EXPECT_EQ(ring->waiting(), 0u);

    EXPECT_EQ(accept(*ring, segment(kSegmentSignal, kLastSequence, {1, 2, 3})), Verdict::Completed);
    const Bytes record = fetch(*ring);
    ASSERT_EQ(record.size(), zemlo::kRecordHeadBytes + kReceivedSignalLength);
    EXPECT_EQ(zemlo::read_le32(record.data() + zemlo::kRecordKindOffset), zemlo::kKindSignal);
    EXPECT_EQ(record[zemlo::kRecordHeadBytes + 2], 3);
    // Nothing but zeros after what the frame carried, whatever the slot held before.
    for (size_t i = zemlo::kRecordHeadBytes + 3; i < record.size(); ++i) {
        ASSERT_EQ(record[i], 0) << i;
    }
}

TEST_F(ReceiveRingTest, SegmentsJoinAt253ByteStepsAndLaterTypesAreIgnored) {
    const Bytes part1(kReceivedSegmentBytes, 0x11), part2(kReceivedSegmentBytes, 0x22);
    EXPECT_EQ(accept(*ring, segment(kSegmentSignal, 0, part1)), Verdict::Accepted);
    EXPECT_EQ(accept(*ring, segment(0x00, 1, part2)), Verdict::Accepted);
    EXPECT_EQ(accept(*ring, segment(0x7E, kLastSequence, {0x33})), Verdict::Completed);
    const Bytes record = fetch(*ring);
    const uint8_t *message = record.data() + zemlo::kRecordHeadBytes;
    EXPECT_EQ(message[0], 0x11);
    EXPECT_EQ(message[252], 0x11);
    EXPECT_EQ(message[253], 0x22);
    EXPECT_EQ(message[505], 0x22);
    EXPECT_EQ(message[506], 0x33);
    EXPECT_EQ(message[507], 0x00);
}

TEST_F(ReceiveRingTest, FullRingRefusesTheLastSegmentUntilOneIsFetched) {
    for (uint8_t i = 0; i < kRingSlots - 1; ++i) {
        ASSERT_EQ(accept(*ring, segment(kSegmentSignal, kLastSequence, {i})), Verdict::Completed);
    }
    // A two-segment tenth message: its first segment is taken, its last refused while full.
    EXPECT_EQ(accept(*ring, segment(kSegmentSignal, 0, Bytes(kReceivedSegmentBytes, 0x5A))),
              Verdict::Accepted);
    const Bytes last = segment(kSegmentSignal, kLastSequence, {0xA5});
    EXPECT_EQ(accept(*ring, last), Verdict::Refused);
    EXPECT_EQ(accept(*ring, last), Verdict::Refused);
    EXPECT_EQ(ring->waiting(), kRingSlots - 1);

    EXPECT_EQ(fetch(*ring)[zemlo::kRecordHeadBytes], 0);
    EXPECT_EQ(accept(*ring, last), Verdict::Completed);
    for (uint8_t i = 1; i < kRingSlots - 1; ++i) {
        ASSERT_EQ(fetch(*ring)[zemlo::kRecordHeadBytes], i);
    }
    const Bytes tenth = fetch(*ring);
    EXPECT_EQ(tenth[zemlo::kRecordHeadBytes], 0x5A);
    EXPECT_EQ(tenth[zemlo::kRecordHeadBytes + kReceivedSegmentBytes], 0xA5);
    EXPECT_TRUE(fetch(*ring).empty());
}

TEST_F(ReceiveRingTest, MessageLargerThanASlotIsRefusedAndAbandoned) {
    // A long header claiming a huge body: the record never claims more than its slot.
    Bytes first = segment(kSegmentLongHeader, 0, long_header_message(Bytes(237, 0x44)));
    zemlo::write_le16(first.data() + 2 + zemlo::kLongBodyLengthOffset, 0xFFFF);
    EXPECT_EQ(accept(*ring, first), Verdict::Accepted);
    for (size_t i = 1; i < kMaxSegmentsPerSlot; ++i) {
        ASSERT_EQ(accept(*ring, segment(kSegmentLongHeader, static_cast<uint8_t>(i),
                                        Bytes(kReceivedSegmentBytes, 0x44))),
                  Verdict::Accepted);
    }
    EXPECT_EQ(accept(*ring, segment(kSegmentLongHeader, 39, Bytes(kReceivedSegmentBytes, 0x44))),
              Verdict::Refused);
    EXPECT_EQ(ring->waiting(), 0u);

    // The next frame begins a new message.
    const Bytes message = long_header_message({7});
    EXPECT_EQ(accept(*ring, segment(kSegmentLongHeader, kLastSequence, message)),
              Verdict::Completed);
    const Bytes record = fetch(*ring);
    EXPECT_EQ(Bytes(record.begin() + zemlo::kRecordHeadBytes, record.end()), message);

    // Exactly 39 segments still fit, and the claimed length is cut to the slot.
    EXPECT_EQ(accept(*ring, first), Verdict::Accepted);
    for (size_t i = 1; i + 1 < kMaxSegmentsPerSlot; ++i) {
        ASSERT_EQ(accept(*ring, segment(0, static_cast<uint8_t>(i), {})), Verdict::Accepted);
    }
    EXPECT_EQ(accept(*ring, segment(0, kLastSequence, {})), Verdict::Completed);
    EXPECT_EQ(fetch(*ring).size(), kSlotBytes);

    // A small destination gets no more than it holds.
    EXPECT_EQ(accept(*ring, segment(kSegmentSignal, kLastSequence, {1})), Verdict::Completed);
    EXPECT_EQ(fetch(*ring, 4).size(), 4u);
    EXPECT_EQ(ring->waiting(), 0u);
}

}  // namespace
}  // namespace handlink
