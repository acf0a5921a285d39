// The frame link against a scripted handset on a pseudo-terminal, byte for byte.
#include "frame_link.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <memory>

#include <zemlo/byte_order.h>

#include "port_directory.h"
#include "pty_peer.h"

namespace handlink {
namespace {

using testing::Bytes;
using testing::frame_of;
using testing::PtyPeer;
using namespace std::chrono_literals;

constexpr uint32_t kPort = 41;
constexpr uint32_t kBaud = 115200;
constexpr auto kQuiet = 60ms;

Bytes signal_record(const Bytes &body) {
    Bytes record(zemlo::kRecordHeadBytes + zemlo::kSigBodyOffset, 0);
    zemlo::write_le32(record.data() + zemlo::kRecordKindOffset, zemlo::kKindSignal);
    zemlo::write_le16(record.data() + zemlo::kRecordLengthOffset,
                      static_cast<uint16_t>(body.size() + zemlo::kSigBodyOffset));
    uint8_t *message = record.data() + zemlo::kRecordHeadBytes;
    message[zemlo::kSigSenderOffset] = 0x2A;
    message[zemlo::kSigReceiverOffset] = 83;
    zemlo::write_le16(message + zemlo::kSigBodyLengthOffset, static_cast<uint16_t>(body.size()));
    zemlo::write_le16(message + zemlo::kSigSignalIdOffset, 0x7901);
    record.insert(record.end(), body.begin(), body.end());
    return record;
}

Bytes with(Bytes head, const Bytes &tail) {
    head.insert(head.end(), tail.begin(), tail.end());
    return head;
}

class FrameLinkWire : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(peer.ok());
        set_port_device(kPort, peer.device().c_str());
        ASSERT_EQ(link->link_open(kPort, kBaud), kSerialOk);
    }
    void TearDown() override {
        link->link_close();
        set_port_device(kPort, nullptr);
    }
    std::future<int32_t> send_async(const Bytes &record) {
        return std::async(std::launch::async, [this, record] {
            return link->send_record(record.data(), record.size());
        });
    }
    Bytes fetch() {
        Bytes out(kSlotBytes);
        out.resize(link->fetch_record(out.data(), out.size()));
        return out;
    }

    PtyPeer peer;
    std::unique_ptr<FrameLink> link = std::make_unique<FrameLink>();
};

TEST_F(FrameLinkWire, RecordsGoOutInExactFrames) {
    const Bytes setup = with({0, 0, 0, 0, 0x43, 0, 0, 0, 5, 0}, {0x02, 0x03, 0x00, 0x00, 0x00});
    auto sent = send_async(setup);
    EXPECT_EQ(peer.read_frame(), (Bytes{0x02, 0x09, 0xD5, 0xFF, 0x00, 0x05, 0x02, 0x03, 0x00, 0x00,
                                        0x00, 0x25, 0x03}));
    peer.write_byte(kAck);
    EXPECT_EQ(sent.get(), kLinkOk);

    const Bytes small = signal_record(Bytes(10, 0x77));
    sent = send_async(small);
    Bytes frame = peer.read_frame();
    ASSERT_EQ(frame.size(), 22u + kFrameOverhead);
    EXPECT_EQ(frame[1], 22);
    EXPECT_EQ(Bytes(frame.begin() + 2, frame.begin() + 6), (Bytes{0xD3, 0xFF, 0x00, 0x12}));
    EXPECT_EQ(Bytes(frame.begin() + 6, frame.end() - 2), Bytes(small.begin() + 10, small.end()));
    peer.write_byte(kAck);
    EXPECT_EQ(sent.get(), kLinkOk);

    // 600 message bytes: 251 + 253 + 96.
    const Bytes big = signal_record(Bytes(592, 0x5C));
    sent = send_async(big);
    Bytes joined;
    const uint8_t lengths[] = {255, 255, 98}, sequences[] = {0, 1, 0xFF};
    for (int i = 0; i < 3; ++i) {
        frame = peer.read_frame();
        ASSERT_FALSE(frame.empty()) << i;
        EXPECT_EQ(frame[1], lengths[i]);
        EXPECT_EQ(frame[2], kSegmentSignal);
        EXPECT_EQ(frame[3], sequences[i]);
        const size_t header = i == 0 ? 4 : 2;
        if (i == 0) {
            EXPECT_EQ(zemlo::read_be16(&frame[4]), 600);
        }
        joined.insert(joined.end(), frame.begin() + 2 + header, frame.end() - 2);
        peer.write_byte(kAck);
    }
    EXPECT_EQ(sent.get(), kLinkOk);
    EXPECT_EQ(joined, Bytes(big.begin() + 10, big.end()));
}

TEST_F(FrameLinkWire, NakOrSilenceEndsAMultiFrameSendAfterTheFirstFrame) {
    const Bytes big = signal_record(Bytes(592, 1));
    auto sent = send_async(big);
    ASSERT_FALSE(peer.read_frame().empty());
    peer.write_byte(kNak);
    EXPECT_EQ(sent.get(), kLinkNak);
    EXPECT_TRUE(peer.drain(kQuiet).empty());

    const auto start = std::chrono::steady_clock::now();
    sent = send_async(big);
    ASSERT_FALSE(peer.read_frame().empty());
    EXPECT_EQ(sent.get(), kLinkNoAck);
    EXPECT_GE(std::chrono::steady_clock::now() - start, 399ms);
    EXPECT_TRUE(peer.drain(kQuiet).empty());

    link->link_close();
    EXPECT_EQ(link->send_record(big.data(), big.size()), kLinkNotOpen);
}

TEST_F(FrameLinkWire, LongHeaderFrameFromTheHandsetIsAckedAndQueued) {
    std::atomic<int> arrivals{0};
    link->set_arrival_callback([](void *count) { ++*static_cast<std::atomic<int> *>(count); },
                               &arrivals);
    Bytes header(16, 0);
    header[0] = 83;
    zemlo::write_le16(&header[12], 2);
    zemlo::write_le16(&header[14], 0x7905);
    const Bytes message = with(header, {0xAB, 0xCD});
    peer.write(frame_of(with({kSegmentLongHeader, kLastSequence}, message)));
    EXPECT_EQ(peer.read_byte(), kAck);
    EXPECT_EQ(arrivals.load(), 1);
    const Bytes record = fetch();
    ASSERT_EQ(record.size(), 28u);
    EXPECT_EQ(zemlo::read_le32(&record[4]), zemlo::kKindLongHeader);
    EXPECT_EQ(zemlo::read_le16(&record[8]), 18);
    EXPECT_EQ(Bytes(record.begin() + 10, record.end()), message);
    EXPECT_TRUE(fetch().empty());
}

// Writes the handset's ACK as soon as the frame has left, before the sender starts waiting.
class EarlyAck : public LinkObserver {
  public:
    explicit EarlyAck(PtyPeer &peer) : peer_(peer) {}
    void frame(Direction d, const uint8_t *, size_t, bool) override {
        if (d == Direction::ToHandset) {
            peer_.write_byte(kAck);
            while (acks_seen_.load() == 0) {
                std::this_thread::sleep_for(1ms);
            }
        }
    }
    void ack(Direction d) override {
        if (d == Direction::FromHandset) {
            ++acks_seen_;
        }
    }
    void nak(Direction) override {}
    void record(Direction, const uint8_t *, size_t) override {}

  private:
    PtyPeer &peer_;
    std::atomic<int> acks_seen_{0};
};

TEST_F(FrameLinkWire, AckThatOvertakesTheWritingIsCounted) {
    EarlyAck early(peer);
    link->set_observer(&early);
    const Bytes record = signal_record({1, 2, 3});
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(link->send_record(record.data(), record.size()), kLinkOk);
    // Not the wait for an ACK that the link would have sat out had it missed this one.
    EXPECT_LT(std::chrono::steady_clock::now() - start,
              std::chrono::milliseconds(kAckWaitPolls * kAckPollMs));
    link->set_observer(nullptr);
}

TEST_F(FrameLinkWire, FrameReceivedDuringTheAckWaitIsAnsweredAfterIt) {
    auto sent = send_async(signal_record({1}));
    ASSERT_FALSE(peer.read_frame().empty());
    peer.write(frame_of({kSegmentSignal, kLastSequence, 0x10}));
    EXPECT_TRUE(peer.drain(kQuiet).empty());  // owed, not yet written
    peer.write_byte(kAck);
    EXPECT_EQ(peer.read_byte(), kAck);
    EXPECT_EQ(sent.get(), kLinkOk);
    EXPECT_EQ(fetch()[10], 0x10);
}

TEST_F(FrameLinkWire, NineWaitingMessagesMakeTheTenthWait) {
    for (uint8_t i = 0; i < 9; ++i) {
        peer.write(frame_of({kSegmentSignal, kLastSequence, i}));
        ASSERT_EQ(peer.read_byte(), kAck) << int(i);
    }
    const Bytes tenth = frame_of({kSegmentSignal, kLastSequence, 9});
    peer.write(tenth);
    EXPECT_EQ(peer.read_byte(), kNak);
    EXPECT_EQ(fetch()[10], 0);
    peer.write(tenth);
    EXPECT_EQ(peer.read_byte(), kAck);
    for (uint8_t i = 1; i < 10; ++i) {
        EXPECT_EQ(fetch()[10], i);
    }
}

TEST_F(FrameLinkWire, DamagedFramesAreRefusedAndNoiseIsIgnored) {
    Bytes bad_sum = frame_of({kSegmentSignal, kLastSequence, 1});
    bad_sum[bad_sum.size() - 2] ^= 0x40;
    peer.write(with({0x41, 0x00, 0xFF, kEtx}, bad_sum));
    EXPECT_EQ(peer.read_byte(), kNak);

    Bytes no_etx = frame_of({kSegmentSignal, kLastSequence, 2});
    no_etx.back() = 0x04;
    peer.write(no_etx);
    EXPECT_EQ(peer.read_byte(), kNak);

    peer.write(with({0x7F, 0x80, 0x00}, frame_of({kSegmentSignal, kLastSequence, 3})));
    EXPECT_EQ(peer.read_byte(), kAck);
    EXPECT_TRUE(peer.drain(kQuiet).empty());
    EXPECT_EQ(fetch()[10], 3);
    EXPECT_TRUE(fetch().empty());
}

}  // namespace
}  // namespace handlink
