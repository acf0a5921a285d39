// The emulator's own frame receiver against frames written out by hand, byte by byte, so that it
// is checked against the wire format itself and not against the PC's receiver or encoder.
#include "frame_reader.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using handsim::FrameReader;
using Event = FrameReader::Event;
using Bytes = std::vector<uint8_t>;

std::vector<Event> feed(FrameReader &rx, const Bytes &line) {
    std::vector<Event> events;
    for (uint8_t b : line) {
        if (const Event e = rx.take(b); e != Event::None) {
            events.push_back(e);
        }
    }
    return events;
}

// The PC's setup command: STX, LEN 9, payload, checksum 0x25, ETX.
const Bytes kSetupFrame = {0x02, 0x09, 0xD5, 0xFF, 0x00, 0x05, 0x02,
                           0x03, 0x00, 0x00, 0x00, 0x25, 0x03};
// A payload made of the control bytes themselves: inside a frame they are data.
const Bytes kControlBytesFrame = {0x02, 0x06, 0xD4, 0xFF, 0x06, 0x15, 0x02, 0x03, 0x3D, 0x03};

TEST(FrameReader, ReadsGoldenFramesAndAnswersBetweenThem) {
    FrameReader rx;
    Bytes line = {0x55, 0x06};  // noise, then an ACK
    line.insert(line.end(), kSetupFrame.begin(), kSetupFrame.end());
    EXPECT_EQ(feed(rx, line), (std::vector<Event>{Event::Ack, Event::Frame}));
    EXPECT_EQ(Bytes(rx.payload(), rx.payload() + rx.payload_size()),
              Bytes(kSetupFrame.begin() + 2, kSetupFrame.end() - 2));
    EXPECT_EQ(Bytes(rx.frame(), rx.frame() + rx.frame_size()), kSetupFrame);

    line = kControlBytesFrame;
    line.push_back(0x15);  // a NAK after the frame
    EXPECT_EQ(feed(rx, line), (std::vector<Event>{Event::Frame, Event::Nak}));
    EXPECT_EQ(Bytes(rx.payload(), rx.payload() + rx.payload_size()),
              (Bytes{0xD4, 0xFF, 0x06, 0x15, 0x02, 0x03}));
}

TEST(FrameReader, DropsBadFramesWholeAndTakesTheNextOne) {
    FrameReader rx;
    Bytes bad_sum = kSetupFrame;
    bad_sum[11] = 0x24;
    EXPECT_EQ(feed(rx, bad_sum), (std::vector<Event>{Event::BadChecksum}));
    // Reported up to the checksum byte; the ETX behind it is a stray byte between frames.
    EXPECT_EQ(Bytes(rx.frame(), rx.frame() + rx.frame_size()),
              Bytes(bad_sum.begin(), bad_sum.end() - 1));

    Bytes no_etx = kSetupFrame;
    no_etx[12] = 0x06;  // an ACK where ETX belongs is not taken for an answer
    EXPECT_EQ(feed(rx, no_etx), (std::vector<Event>{Event::MissingEtx}));
    EXPECT_EQ(rx.frame_size(), kSetupFrame.size());

    // A frame cut off by a reset leaves nothing behind.
    feed(rx, Bytes(kSetupFrame.begin(), kSetupFrame.begin() + 6));
    rx.reset();
    EXPECT_EQ(feed(rx, kSetupFrame), (std::vector<Event>{Event::Frame}));
}

TEST(FrameReader, LengthZeroCarries256Bytes) {
    Bytes line = {0x02, 0x00};
    for (int i = 0; i < 256; ++i) {
        line.push_back(static_cast<uint8_t>(i));
    }
    line.push_back(0x02);  // STX ^ 0 ^ 0 ^ 1 ^ ... ^ 255
    line.push_back(0x03);
    FrameReader rx;
    EXPECT_EQ(feed(rx, line), (std::vector<Event>{Event::Frame}));
    ASSERT_EQ(rx.payload_size(), 256u);
    EXPECT_EQ(rx.payload()[255], 255);
    EXPECT_EQ(rx.frame_size(), 260u);
}

}  // namespace
