// The emulator's line seen byte by byte from a PC-side driver built on the frame codec: answers to
// good and broken frames, the handset's own frames, and the pacing of a slow line.
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>

#include "frame_receiver.h"
#include "handlink/name_tables.h"
#include "handsim/emulator.h"
#include "sim_test_util.h"

namespace {

namespace rec = zemlo::records;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

class RawPc {
  public:
    explicit RawPc(const std::string &path) {
        fd_ = ::open(path.c_str(), O_RDWR | O_NOCTTY);
        termios t{};
        if (fd_ >= 0 && ::tcgetattr(fd_, &t) == 0) {
            ::cfmakeraw(&t);
            ::tcsetattr(fd_, TCSANOW, &t);
        }
    }
    ~RawPc() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    bool ok() const { return fd_ >= 0; }

    void write(const handsim::Bytes &b) {
        ASSERT_EQ(::write(fd_, b.data(), b.size()), ssize_t(b.size()));
    }

    // The next event of the handset's side (ACK, NAK or a whole frame), or None on time-out.
    handlink::FrameReceiver::Event next(std::chrono::milliseconds wait) {
        const auto deadline = Clock::now() + wait;
        for (;;) {
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
            pollfd p{fd_, POLLIN, 0};
            if (left.count() <= 0 || ::poll(&p, 1, static_cast<int>(left.count())) <= 0) {
                return handlink::FrameReceiver::Event::None;
            }
            uint8_t b = 0;
            if (::read(fd_, &b, 1) != 1) {
                continue;
            }
            const auto e = rx.push(b);
            if (e != handlink::FrameReceiver::Event::None) {
                return e;
            }
        }
    }

    // Sends a signal-form message in the PC's segments, each frame answered before the next.
    void send_signal(uint8_t sender, uint8_t receiver, uint16_t id, const handsim::Bytes &body) {
        for (const auto &f : signal_frames(sender, receiver, id, body)) {
            write(f);
            ASSERT_EQ(next(1s), handlink::FrameReceiver::Event::Ack);
        }
    }

    // The frames of a signal-form message in the PC's segments.
    static std::vector<handsim::Bytes> signal_frames(uint8_t sender, uint8_t receiver, uint16_t id,
                                                     const handsim::Bytes &body) {
        std::vector<handsim::Bytes> frames;
        handsim::Bytes m(8 + body.size(), 0);
        m[0] = sender;
        m[1] = receiver;
        zemlo::write_le16(&m[4], static_cast<uint16_t>(body.size()));
        zemlo::write_le16(&m[6], id);
        std::copy(body.begin(), body.end(), m.begin() + 8);
        size_t pos = 0;
        uint8_t seq = 0;
        while (pos < m.size()) {
            const bool first = pos == 0;
            const size_t room = first ? 251 : 253;
            const size_t n = std::min(room, m.size() - pos);
            handsim::Bytes seg = {handlink::kSegmentSignal,
                                  pos + n == m.size() ? handlink::kLastSequence : seq++};
            if (first) {
                seg.push_back(static_cast<uint8_t>(m.size() >> 8));
                seg.push_back(static_cast<uint8_t>(m.size()));
            }
            seg.insert(seg.end(), m.begin() + pos, m.begin() + pos + n);
            frames.push_back(frame(seg));
            pos += n;
        }
        return frames;
    }

    void setup() {
        handlink::NameTables names;
        names.rebuild();
        const auto matrix = names.filter_matrix();
        send_signal(0, 3, rec::kSigTinyFilterMatrix, handsim::Bytes(matrix.begin(), matrix.end()));
        write(frame({0xD5, 0xFF, 0x00, 0x05, 0x02, 0x03, 0x00, 0x00, 0x00}));
        ASSERT_EQ(next(1s), handlink::FrameReceiver::Event::Ack);
    }

    static handsim::Bytes frame(const handsim::Bytes &payload) {
        handsim::Bytes f(payload.size() + handlink::kFrameOverhead);
        f.resize(handlink::encode_frame(payload.data(), payload.size(), f.data()));
        return f;
    }

    handlink::FrameReceiver rx;

  private:
    int fd_ = -1;
};

struct Sim {
    explicit Sim(uint32_t baud = 0, bool fifo = false) {
        handsim::EmulatorOptions o;
        o.link_path = (dir.path() / "tty").string();
        if (fifo) {
            o.control_path = (dir.path() / "control").string();
        }
        o.store_dir = (dir.path() / "store").string();
        o.baud = baud;
        o.ack_timeout = 300ms;
        emulator = std::make_unique<handsim::Emulator>(o);
        std::string error;
        started = emulator->start(&error);
        EXPECT_TRUE(started) << error;
    }
    simtest::TempDir dir;
    std::unique_ptr<handsim::Emulator> emulator;
    bool started = false;
};

handsim::Bytes handshake_body() {
    rec::RemoteCommand c;
    c.group = rec::kGroupHandshake;
    const auto b = rec::encode_remote_command(c);
    return handsim::Bytes(b.begin(), b.end());
}

TEST(PtyWire, AnswersEveryFrameAndRepliesInLongHeaderFrames) {
    Sim sim;
    ASSERT_TRUE(sim.started);
    RawPc pc(sim.emulator->link_path());
    ASSERT_TRUE(pc.ok());
    using Event = handlink::FrameReceiver::Event;

    auto broken = RawPc::frame({0xD3, 0xFF, 0x00, 0x01, 0x42});
    broken[broken.size() - 2] ^= 1;
    pc.write(broken);
    EXPECT_EQ(pc.next(1s), Event::Nak) << "bad checksum";
    auto unclosed = RawPc::frame({0xD3, 0xFF, 0x00, 0x01, 0x42});
    unclosed.back() = 0x04;
    pc.write(unclosed);
    EXPECT_EQ(pc.next(1s), Event::Nak) << "no ETX";
    pc.write(RawPc::frame({0x77, 0xFF, 1, 2}));
    EXPECT_EQ(pc.next(1s), Event::Ack) << "unknown segment type";

    // Before setup a handshake is taken but not answered.
    pc.send_signal(2, 83, rec::kSigDlwRemoteCmdInd, handshake_body());
    EXPECT_EQ(pc.next(300ms), Event::None);

    pc.setup();
    pc.send_signal(2, 83, rec::kSigDlwRemoteCmdInd, handshake_body());
    ASSERT_EQ(pc.next(1s), Event::Frame);
    const uint8_t *p = pc.rx.payload();
    ASSERT_EQ(pc.rx.payload_size(), 2u + 16u + 12u);
    EXPECT_EQ(p[0], 0xD4);
    EXPECT_EQ(p[1], 0xFF);
    EXPECT_EQ(p[2], 83);
    EXPECT_EQ(zemlo::read_le16(p + 2 + 12), 12);
    EXPECT_EQ(zemlo::read_le16(p + 2 + 14), rec::kSigDlwRemoteCmdRsp);
    EXPECT_EQ(zemlo::read_le16(p + 2 + 16 + 4), rec::kStatusAccepted);

    // Unanswered, the frame comes again; a NAK brings it again too.
    ASSERT_EQ(pc.next(1s), Event::Frame);
    pc.write({handlink::kNak});
    ASSERT_EQ(pc.next(1s), Event::Frame);
    pc.write({handlink::kAck});
    EXPECT_EQ(pc.next(500ms), Event::None) << "three tries at most, the third was taken";
    EXPECT_EQ(sim.emulator->stats().resends, 2u);
}

TEST(PtyWire, AFaultPlacedAtAFrameStrikesThatFrameOnly) {
    Sim sim;
    ASSERT_TRUE(sim.started);
    RawPc pc(sim.emulator->link_path());
    ASSERT_TRUE(pc.ok());
    using Event = handlink::FrameReceiver::Event;
    pc.setup();
    const auto handshake = RawPc::signal_frames(2, 83, rec::kSigDlwRemoteCmdInd, handshake_body());
    ASSERT_EQ(handshake.size(), 2u);
    const uint32_t before = static_cast<uint32_t>(sim.emulator->exchange().size());

    // The second frame is acted on but its ACK is lost: the reply is what comes next.
    ASSERT_TRUE(sim.emulator->control("at 2 lose-ack"));
    pc.write(handshake[0]);
    ASSERT_EQ(pc.next(1s), Event::Ack);
    pc.write(handshake[1]);
    ASSERT_EQ(pc.next(1s), Event::Frame);
    pc.write({handlink::kAck});
    const auto e = sim.emulator->exchange();
    ASSERT_EQ(e.size(), before + 3);
    EXPECT_EQ(e[before], (handsim::ExchangePoint{before + 1, true, "handshake", 0}));
    EXPECT_EQ(e[before + 1], (handsim::ExchangePoint{before + 2, true, "handshake", 1}));
    EXPECT_EQ(e[before + 2], (handsim::ExchangePoint{before + 3, false, "reply", 0}));

    // A damaged frame is refused; the reply to a message whose answer is withheld never comes.
    ASSERT_TRUE(sim.emulator->control("at 1 damage"));
    ASSERT_TRUE(sim.emulator->control("at 3 withhold"));
    pc.write(handshake[0]);
    EXPECT_EQ(pc.next(1s), Event::Nak);
    pc.send_signal(2, 83, rec::kSigDlwRemoteCmdInd, handshake_body());
    EXPECT_EQ(pc.next(400ms), Event::None);

    // An event before a frame of the PC's arrives before the reply to it.
    ASSERT_TRUE(sim.emulator->control("at 1 event 2"));
    pc.write(handshake[0]);
    pc.write(handshake[1]);
    int acks = 0;
    bool in_message = false;
    std::vector<uint16_t> arrived;
    for (Event ev = pc.next(1s); ev != Event::None; ev = pc.next(500ms)) {
        if (ev == Event::Ack) {
            ++acks;
        } else if (ev == Event::Frame) {
            if (!in_message) {  // a message's first frame says which it is
                arrived.push_back(zemlo::read_le16(pc.rx.payload() + 2 + 14));
            }
            in_message = pc.rx.payload()[1] != handlink::kLastSequence;
            pc.write({handlink::kAck});
        }
    }
    EXPECT_EQ(acks, 2);
    EXPECT_EQ(arrived, (std::vector<uint16_t>{rec::kSigDlwRemoteCmdInd, rec::kSigDlwRemoteCmdRsp}));

    // The line lost at a frame: the PC sees the hang-up, the emulator links a new line.
    ASSERT_TRUE(sim.emulator->control("at 1 hangup"));
    pc.write(handshake[0]);
    EXPECT_EQ(pc.next(500ms), Event::None);
    EXPECT_EQ(sim.emulator->stats().hang_ups, 1u);
}

TEST(PtyWire, SlowLineTakesTheTimeItsBytesNeed) {
    constexpr uint32_t kBaud = 9600;
    Sim sim(kBaud);
    ASSERT_TRUE(sim.started);
    RawPc pc(sim.emulator->link_path());
    ASSERT_TRUE(pc.ok());
    pc.setup();
    const auto start = Clock::now();
    pc.send_signal(2, 83, rec::kSigDlwRemoteCmdInd, handshake_body());
    ASSERT_EQ(pc.next(3s), handlink::FrameReceiver::Event::Frame);
    pc.write({handlink::kAck});
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    // 384 message bytes in two frames (263 + 141 bytes on the line), ACKs, and a 34-byte reply.
    const double line_seconds = (263.0 + 141.0 + 2.0 + 34.0) * 10.0 / kBaud;
    EXPECT_GE(seconds, line_seconds * 0.95);
    EXPECT_LT(seconds, line_seconds + 1.0);
}

TEST(PtyWire, ControlFifoTriggersAnEventAtOnce) {
    Sim sim(0, /*fifo=*/true);
    ASSERT_TRUE(sim.started);
    RawPc pc(sim.emulator->link_path());
    ASSERT_TRUE(pc.ok());
    pc.setup();
    {
        std::ofstream fifo(sim.dir.path() / "control");
        fifo << "no such command\n"
             << "event 3\n";
    }
    ASSERT_EQ(pc.next(2s), handlink::FrameReceiver::Event::Frame);
    const uint8_t *p = pc.rx.payload();
    EXPECT_EQ(zemlo::read_le16(p + 2 + 14), rec::kSigDlwRemoteCmdInd);
    EXPECT_EQ(zemlo::read_le16(p + 2 + 16 + 2), rec::kGroupEvent);
    EXPECT_EQ(zemlo::read_le16(p + 2 + 16 + 4), rec::kEventTimeout);
    pc.write({handlink::kAck});
    sim.emulator->stop();
    EXPECT_FALSE(std::filesystem::exists(sim.dir.path() / "control")) << "the FIFO it made is gone";
    EXPECT_FALSE(std::filesystem::exists(sim.dir.path() / "tty")) << "and the link";
}

}  // namespace
