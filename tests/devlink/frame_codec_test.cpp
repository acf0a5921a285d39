#include "frame_receiver.h"

#include <gtest/gtest.h>

#include <vector>

namespace handlink {
namespace {

using Event = FrameReceiver::Event;

std::vector<Event> feed(FrameReceiver &rx, const std::vector<uint8_t> &bytes) {
    std::vector<Event> events;
    for (uint8_t b : bytes) {
        Event e = rx.push(b);
        if (e != Event::None) {
            events.push_back(e);
        }
    }
    return events;
}

TEST(FrameCodec, SetupCommandFrameIsExact) {
    const uint8_t payload[] = {0xD5, 0xFF, 0x00, 0x05, 0x02, 0x03, 0x00, 0x00, 0x00};
    uint8_t out[16];
    ASSERT_EQ(encode_frame(payload, sizeof payload, out), 13u);
    const std::vector<uint8_t> expected = {0x02, 0x09, 0xD5, 0xFF, 0x00, 0x05, 0x02,
                                           0x03, 0x00, 0x00, 0x00, 0x25, 0x03};
    EXPECT_EQ(std::vector<uint8_t>(out, out + 13), expected);
}

TEST(FrameCodec, EncodeRefusesEmptyAndOversizedPayloads) {
    uint8_t payload[256] = {};
    uint8_t out[260];
    EXPECT_EQ(encode_frame(payload, 0, out), 0u);
    EXPECT_EQ(encode_frame(payload, 256, out), 0u);
    EXPECT_EQ(encode_frame(payload, 255, out), 259u);
}

TEST(FrameReceiver, RoundTripsAFrameAndSeesAckNakBetweenFrames) {
    const uint8_t payload[] = {0xD4, 0xFF, kAck, kNak, kStx, kEtx};
    uint8_t frame[16];
    size_t n = encode_frame(payload, sizeof payload, frame);
    FrameReceiver rx;
    std::vector<uint8_t> line = {0x55, kAck};
    line.insert(line.end(), frame, frame + n);
    line.push_back(kNak);
    EXPECT_EQ(feed(rx, line), (std::vector<Event>{Event::Ack, Event::Frame, Event::Nak}));
    EXPECT_EQ(std::vector<uint8_t>(rx.payload(), rx.payload() + rx.payload_size()),
              std::vector<uint8_t>(payload, payload + sizeof payload));
}

TEST(FrameReceiver, BadChecksumAndMissingEtxDropTheFrame) {
    const uint8_t payload[] = {0xD3, 0xFF, 0x01};
    uint8_t frame[16];
    size_t n = encode_frame(payload, sizeof payload, frame);
    FrameReceiver rx;
    std::vector<uint8_t> bad(frame, frame + n);
    bad[n - 2] ^= 0x40;
    EXPECT_EQ(feed(rx, bad), std::vector<Event>{Event::BadChecksum});
    std::vector<uint8_t> no_etx(frame, frame + n);
    no_etx[n - 1] = 0x00;
    EXPECT_EQ(feed(rx, no_etx), std::vector<Event>{Event::MissingEtx});
    // The receiver is idle again and takes the next good frame.
    EXPECT_EQ(feed(rx, std::vector<uint8_t>(frame, frame + n)), std::vector<Event>{Event::Frame});
}

TEST(FrameReceiver, LengthByteZeroMeans256PayloadBytes) {
    std::vector<uint8_t> line = {kStx, 0x00};
    uint8_t sum = kStx;
    for (int i = 0; i < 256; ++i) {
        line.push_back(static_cast<uint8_t>(i));
        sum ^= static_cast<uint8_t>(i);
    }
    line.push_back(sum);
    line.push_back(kEtx);
    FrameReceiver rx;
    EXPECT_EQ(feed(rx, line), std::vector<Event>{Event::Frame});
    EXPECT_EQ(rx.payload_size(), 256u);
    EXPECT_EQ(rx.payload()[255], 255);
}

}  // namespace
}  // namespace handlink
