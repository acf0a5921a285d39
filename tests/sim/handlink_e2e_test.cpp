// The emulator against the real link library, loaded with dlopen as the program loads it.
#include <gtest/gtest.h>

#include <filesystem>
#include <thread>

#include "download_service.h"
#include "handlink_session.h"
#include "handsim/emulator.h"
#include "media_store.h"
#include "sample_media.h"
#include "sim_test_util.h"
#include "wait_until.h"

namespace {

namespace rec = zemlo::records;
using namespace std::chrono_literals;
using handsim::HandlinkSession;
using zemlo::testing::wait_until;

constexpr auto kPacketWait = 3000ms;
constexpr uint32_t kShortTimeoutMs = 600;

class HandlinkE2e : public ::testing::Test {
  protected:
    void SetUp() override {
        handsim::EmulatorOptions o;
        o.link_path = (dir.path() / "tty").string();
        o.store_dir = (dir.path() / "store").string();
        o.seed = true;
        o.restart_quiet = 600ms;
        o.ack_timeout = 500ms;
        configure(o);
        emulator = std::make_unique<handsim::Emulator>(o);
        std::string error;
        ASSERT_TRUE(emulator->start(&error)) << error;
        ASSERT_TRUE(session.load("libhandlink.so", &error)) << error;
        connect();
    }

    virtual void configure(handsim::EmulatorOptions &) {}

    void connect() {
        std::string error;
        ASSERT_TRUE(session.open(emulator->link_path(), &error)) << error;
        EXPECT_EQ(handshake().reply.status, rec::kStatusAccepted);
    }

    void control(const std::string &line) {
        std::string error;
        ASSERT_TRUE(emulator->control(line, &error)) << error;
    }

    HandlinkSession::Reply handshake() {
        rec::RemoteCommand c;
        c.group = rec::kGroupHandshake;
        return session.remote(c);
    }

    HandlinkSession::Reply file_command(uint16_t code, const std::string &first,
                                        const std::string &second = {}) {
        rec::RemoteCommand c;
        c.group = rec::kGroupFile;
        c.code = code;
        c.first_path = first;
        c.second_path = second;
        return session.remote(c);
    }

    HandlinkSession::Reply after_download(uint16_t argument, uint16_t what) {
        rec::RemoteCommand c;
        c.group = rec::kGroupFile;
        c.code = rec::kCodeAfterDownload;
        c.argument = argument;
        c.action = what;
        return session.remote(c);
    }

    std::string listing() {
        std::string error;
        const auto l = session.list(kPacketWait, &error);
        EXPECT_TRUE(l) << error;
        return l ? l->text : std::string();
    }

    std::filesystem::path store(const char *sub) const { return dir.path() / "store" / sub; }

    simtest::TempDir dir;
    std::unique_ptr<handsim::Emulator> emulator;
    HandlinkSession session;
};

TEST_F(HandlinkE2e, ListingArrivesPacketByPacketAndMatchesTheStore) {
    std::string error;
    const auto l = session.list(kPacketWait, &error);
    ASSERT_TRUE(l) << error;
    EXPECT_EQ(l->text,
              "a:\\pcdlw\\pic\\rings.bmp^30748;sunrise.bmp^30748;%"
              "a:\\pcdlw\\melody\\bell.mid^84;scale.mid^84;%");
    EXPECT_EQ(l->data_packets, 2u);
    EXPECT_EQ(rec::unit_size(l->storage), 512u);
    // 2 x 30748 -> 2 x 31232 allocated, 2 x 84 -> 2 x 512.
    EXPECT_EQ(l->storage.total_units - l->storage.free_units, (2u * 31232u + 1024u) / 512u);
    // Start, storage block, text block, end: each handset message acknowledged by the PC.
    EXPECT_TRUE(emulator->wait_messages_sent(1u /*handshake*/ + 1u /*reply*/ + 4u, 1000ms));

    rec::RemoteCommand bye;
    bye.group = rec::kGroupDisconnect;
    EXPECT_EQ(session.remote(bye).reply.status, rec::kStatusAccepted);
}

TEST_F(HandlinkE2e, DownloadsAreCheckedKeptOrDiscarded) {
    const auto picture = handsim::sample_media()[1].bytes;
    EXPECT_EQ(file_command(rec::kCodeAnnounce, "a:\\pcdlw\\pic\\mine.bmp").reply.result,
              rec::kResultDownloadAccepted);
    auto sent = session.send_file(picture, false, /*corrupt_first=*/true);
    EXPECT_TRUE(sent.delivered);
    EXPECT_EQ(sent.refusals, rec::block_count(picture.size())) << "every corrupted try refused";
    EXPECT_EQ(after_download(rec::kArgumentPicture, rec::kActionPreview).reply.result,
              rec::kResultDone);
    EXPECT_EQ(after_download(rec::kArgumentPicture, rec::kActionSave).reply.result,
              rec::kResultDone);
    EXPECT_TRUE(std::filesystem::exists(store("pic/mine.bmp")));
    EXPECT_TRUE(std::filesystem::exists(store("view/pic/mine.png")));
    EXPECT_EQ(std::filesystem::file_size(store("pic/mine.bmp")), picture.size());

    const auto melody = handsim::encode_handset_melody({60, 67, 72});
    EXPECT_EQ(file_command(rec::kCodeAnnounce, "a:\\pcdlw\\melody\\gone.mid").reply.result,
              rec::kResultDownloadAccepted);
    EXPECT_TRUE(session.send_file(melody, true, false).delivered);
    after_download(rec::kArgumentMelody, rec::kActionDiscard);
    EXPECT_FALSE(std::filesystem::exists(store("melody/gone.mid")));

    EXPECT_NE(listing().find("mine.bmp^30748;"), std::string::npos);
}

TEST_F(HandlinkE2e, RenameDeleteAndFormatWithItsSilentRestart) {
    const std::string pic = "a:\\pcdlw\\pic\\";
    EXPECT_EQ(file_command(rec::kCodeRename, pic + "rings.bmp", pic + "sunrise.bmp").reply.result,
              handsim::kResultNameTaken);
    EXPECT_EQ(file_command(rec::kCodeRename, pic + "rings.bmp", pic + "ring2.bmp").reply.result,
              rec::kResultDone);
    EXPECT_EQ(file_command(rec::kCodeDelete, pic + "rings.bmp").reply.result,
              handsim::kResultNoSuchFile);
    EXPECT_EQ(file_command(rec::kCodeDelete, pic + "ring2.bmp").reply.result, rec::kResultDone);
    EXPECT_EQ(listing(),
              "a:\\pcdlw\\pic\\sunrise.bmp^30748;%a:\\pcdlw\\melody\\bell.mid^84;scale.mid^84;%");

    // The format is not answered; the handset then ignores the line while it restarts.
    session.set_timeout_ms(500);
    const auto format = file_command(rec::kCodeFormat, "");
    EXPECT_FALSE(format.answered());
    EXPECT_EQ(format.code, 9);
    EXPECT_FALSE(handshake().answered()) << "ignored while restarting";
    EXPECT_EQ(emulator->stats().restarts, 1u);
    // While it restarts the handset does not read the line; once it reads frames again it is
    // back, but answers nothing until a new setup.
    const uint64_t unread = emulator->stats().frames_received;
    ASSERT_TRUE(wait_until(
        [&] {
            EXPECT_FALSE(handshake().answered()) << "answered before a new setup";
            return emulator->stats().frames_received > unread;
        },
        30s));
    EXPECT_FALSE(handshake().answered()) << "back, but waiting for a new setup";
    session.close();
    connect();
    EXPECT_EQ(listing(), "a:\\pcdlw\\pic\\%a:\\pcdlw\\melody\\%");
}

TEST_F(HandlinkE2e, LinkFaultsShowAsTheLibraryReportsThem) {
    session.set_timeout_ms(kShortTimeoutMs);
    // A NAKed request frame gets no confirmation: the request returns the timeout every caller
    // knows, and the thread's last request error says the link refused it (19).
    control("nak-every 1");
    auto refused = handshake();
    EXPECT_EQ(refused.code, 9);
    EXPECT_EQ(refused.line_error, 19);
    control("nak-every 0");
    auto answered = handshake();
    EXPECT_TRUE(answered.answered());
    EXPECT_EQ(answered.line_error, 0);
    // No ACK for the next frame: no confirmation either, and the link's 17.
    control("drop-ack 1");
    refused = handshake();
    EXPECT_EQ(refused.code, 9);
    EXPECT_EQ(refused.line_error, 17);
    EXPECT_TRUE(handshake().answered());
    // A bad checksum in the handset's frame is NAKed by the library and sent again.
    const auto resends = emulator->stats().resends;
    control("bad-checksum 1");
    EXPECT_EQ(handshake().reply.status, rec::kStatusAccepted);
    EXPECT_EQ(emulator->stats().resends, resends + 1);
    // Noise between frames does no harm.
    control("noise on");
    EXPECT_NE(listing().find("sunrise.bmp"), std::string::npos);
    control("noise off");
    // A reply later than the timeout is lost; one within it is not.
    control("delay 900");
    const uint64_t sent = emulator->stats().messages_sent;
    const auto late = handshake();
    EXPECT_EQ(late.code, 9);
    EXPECT_EQ(late.line_error, 0) << "its frame went through: the handset was silent";
    control("delay 100");
    // The late reply goes by: the library still acknowledges its frame.
    ASSERT_TRUE(emulator->wait_messages_sent(sent + 1, 30s));
    EXPECT_TRUE(handshake().answered());
}

TEST_F(HandlinkE2e, ServiceFaultsGiveTheirResults) {
    session.set_timeout_ms(kShortTimeoutMs);
    control("silent delete");
    EXPECT_EQ(file_command(rec::kCodeDelete, "a:\\pcdlw\\pic\\rings.bmp").code, 9);
    EXPECT_TRUE(std::filesystem::exists(store("pic/rings.bmp")));
    control("answer delete");
    control("in-use rings.bmp");
    EXPECT_EQ(file_command(rec::kCodeDelete, "a:\\pcdlw\\pic\\rings.bmp").reply.result,
              rec::kResultInUse);
    EXPECT_EQ(file_command(rec::kCodeAnnounce, "a:\\pcdlw\\pic\\rings.bmp").reply.result,
              rec::kResultInUse);
    EXPECT_EQ(file_command(rec::kCodeFormat, "").reply.result, rec::kResultInUse);
    control("release rings.bmp");
    control("format refuse");
    EXPECT_EQ(file_command(rec::kCodeFormat, "").reply.result, rec::kResultFormatFailed);
    control("format block");
    EXPECT_EQ(file_command(rec::kCodeFormat, "").reply.result, rec::kResultInUse);
    EXPECT_TRUE(std::filesystem::exists(store("pic/rings.bmp")));
}

TEST_F(HandlinkE2e, EventsAndHangUpInterruptADownload) {
    session.set_timeout_ms(kShortTimeoutMs);
    control("event 2");
    EXPECT_EQ(session.wait_event(kPacketWait), rec::kEventBatteryLow);

    const auto picture = handsim::sample_media()[0].bytes;
    control("event 7 after 3");
    file_command(rec::kCodeAnnounce, "a:\\pcdlw\\pic\\x.bmp");
    auto sent = session.send_file(picture, false, false);
    EXPECT_FALSE(sent.delivered);
    EXPECT_EQ(sent.failed_packet, 4u) << "the transfer ended with the event";
    EXPECT_EQ(session.wait_event(kPacketWait), 7);

    control("hangup-after 2");
    file_command(rec::kCodeAnnounce, "a:\\pcdlw\\pic\\x.bmp");
    sent = session.send_file(picture, false, false);
    EXPECT_FALSE(sent.delivered);
    EXPECT_EQ(sent.failed_packet, 3u);
    // The handset counts the hang-up before its line goes; the PC may also have given up on its
    // own timeout first, on a machine busy enough to hold the handset back.
    EXPECT_TRUE(wait_until([&] { return emulator->stats().hang_ups == 1u; }, kPacketWait));
    // The line comes back at the same path; a new connect works.
    ASSERT_TRUE(wait_until([&] { return std::filesystem::exists(emulator->link_path()); }, 30s));
    session.close();
    connect();
    EXPECT_FALSE(std::filesystem::exists(store("pic/x.bmp")));
}

// Behind an adapter that holds the handset's bytes 16 ms, every answer comes late but the link's
// waits are long enough: a download and a listing still go through.
class HandlinkE2eBehindAdapter : public HandlinkE2e {
  protected:
    static constexpr auto kLatency = 16ms;
    void configure(handsim::EmulatorOptions &o) override { o.adapter_latency = kLatency; }
};

TEST_F(HandlinkE2eBehindAdapter, DownloadAndListingStillWork) {
    const auto picture = handsim::sample_media()[1].bytes;
    const auto t0 = std::chrono::steady_clock::now();
    EXPECT_EQ(file_command(rec::kCodeAnnounce, "a:\\pcdlw\\pic\\late.bmp").reply.result,
              rec::kResultDownloadAccepted);
    const auto sent = session.send_file(picture, false, false);
    const auto took = std::chrono::steady_clock::now() - t0;
    EXPECT_TRUE(sent.delivered);
    EXPECT_EQ(after_download(rec::kArgumentPicture, rec::kActionSave).reply.result,
              rec::kResultDone);
    EXPECT_EQ(std::filesystem::file_size(store("pic/late.bmp")), picture.size());
    // Each packet's acknowledgement waited for the adapter's timer at least once.
    EXPECT_GE(took, rec::block_count(picture.size()) * kLatency);
    EXPECT_NE(listing().find("late.bmp^30748;"), std::string::npos);
    EXPECT_EQ(emulator->stats().resends, 0u);
}

}  // namespace
