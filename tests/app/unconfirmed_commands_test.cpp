// What the core tells when a fault strikes one exact frame of an operation (the faults the sweep
// found): a command the handset may have carried out without confirming it is "unknown, check
// the listing", never a plain failure; a listing that never comes ends the connect; a keep the
// handset refused is no success; a Cancel too late to stop an operation leaves its success.
#include <gtest/gtest.h>

#include <filesystem>

#include "core_rig.h"
#include "wait_until.h"

namespace zemlo::app {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using testing::CoreRig;

constexpr auto kBound = 60s;
const std::string kUnknownBox = "box 确认 error 未收到手机的确认，操作可能已完成，请查看文件列表";

class FaultAtAFrame : public ::testing::Test {
  protected:
    void SetUp() override {
        CoreRig::write_file(rig_.store() / "pic" / "a.bmp", CoreRig::pattern(100));
        CoreRig::write_file(rig_.store() / "pic" / "b.bmp", CoreRig::pattern(700));
        CoreRig::write_file(rig_.pc() / "photo.jpg", CoreRig::pattern(10));
        std::string error;
        ASSERT_TRUE(rig_.start_handset(&error)) << error;
        ASSERT_TRUE(rig_.start_core());
    }

    void connect() { ASSERT_TRUE(rig_.connect(kBound)) << rig_.dump(); }

    // Places a fault at the nth frame from now, whichever side sends it.
    void at(int n, const std::string &fault) {
        ASSERT_TRUE(rig_.sim().control("at " + std::to_string(n) + " " + fault));
    }

    void run(const std::function<void(MainCore &)> &command) {
        rig_.ui().clear_log();
        ASSERT_TRUE(rig_.run(command, kBound)) << "did not end\n" << rig_.dump();
    }

    MessageId last_result() {
        const auto outcomes = rig_.ui().outcomes();
        return outcomes.empty() ? MessageId::None : outcomes.back().result;
    }

    // The frames of a fault-free connect, from its first: where the listing's start packet and
    // its first data packet go.
    std::pair<uint32_t, uint32_t> listing_frames() {
        const auto e = rig_.sim().exchange();
        uint32_t start = 0;
        uint32_t packet = 0;
        for (const auto &p : e) {
            if (!p.from_pc && p.segment == 0 && p.message == "listing start" && start == 0) {
                start = p.index;
            }
            if (!p.from_pc && p.segment == 0 && p.message == "listing packet 1" && packet == 0) {
                packet = p.index;
            }
        }
        return {start, packet};
    }

    bool store_has(const std::string &name) const {
        return fs::exists(rig_.store() / "pic" / name);
    }

    CoreRig rig_;
};

// A rename, frames from now: 1 and 2 the command, 3 the handset's reply.
TEST_F(FaultAtAFrame, RenameWhoseReplyIsLostIsUnknownAndTheListingTellsTheTruth) {
    connect();
    at(3, "withhold");
    run([](MainCore &c) { c.rename_file(FileType::Picture, "a.bmp", "c"); });
    EXPECT_TRUE(rig_.ui().saw(kUnknownBox)) << rig_.dump();
    EXPECT_FALSE(rig_.ui().saw("box 确认 error 重命名文件失败！"));
    EXPECT_EQ(last_result(), MessageId::ResultUnknown);
    ASSERT_TRUE(store_has("c.bmp"));
    // The listing read again shows what the handset did, and the connection stays.
    ASSERT_TRUE(rig_.ui().wait_for("rows b.bmp:1024 c.bmp:512")) << rig_.dump();
    EXPECT_TRUE(rig_.values().connected.load());
    EXPECT_EQ(rig_.ui().lines("buttons").back(), "buttons 11111");
}

TEST_F(FaultAtAFrame, ADeleteIsFailedDoneOrUnknownAsItsFramesFared) {
    CoreRig::write_file(rig_.store() / "pic" / "d.bmp", CoreRig::pattern(100));
    connect();
    // Its last frame refused with NAK: the handset never took the command.
    at(2, "nak");
    run([](MainCore &c) { c.delete_file(FileType::Picture, "a.bmp"); });
    EXPECT_TRUE(rig_.ui().saw("box 确认 error 删除文件失败！")) << rig_.dump();
    EXPECT_EQ(last_result(), MessageId::DeleteFailed);
    EXPECT_TRUE(store_has("a.bmp"));

    // The ACK of its last frame lost, the reply come: the handset's word counts.
    at(2, "lose-ack");
    run([](MainCore &c) { c.delete_file(FileType::Picture, "a.bmp"); });
    EXPECT_EQ(last_result(), MessageId::DeleteDone) << rig_.dump();
    EXPECT_FALSE(store_has("a.bmp"));

    // The ACK lost and no reply: the handset may have deleted it (it did), the PC cannot know.
    at(2, "lose-ack");
    at(3, "withhold");
    run([](MainCore &c) { c.delete_file(FileType::Picture, "d.bmp"); });
    EXPECT_TRUE(rig_.ui().saw(kUnknownBox)) << rig_.dump();
    EXPECT_EQ(last_result(), MessageId::ResultUnknown);
    EXPECT_FALSE(store_has("d.bmp"));
    ASSERT_TRUE(rig_.ui().wait_for("rows b.bmp:1024")) << rig_.dump();
}

TEST_F(FaultAtAFrame, AnEventInsteadOfTheReplyLeavesTheRenameUnknown) {
    connect();
    at(3, "event 1");
    run([](MainCore &c) { c.rename_file(FileType::Picture, "a.bmp", "c"); });
    ASSERT_TRUE(rig_.ui().wait_for("box 确认 error 手机来电，中断操作！")) << rig_.dump();
    ASSERT_TRUE(rig_.ui().wait_for(kUnknownBox)) << rig_.dump();
    EXPECT_EQ(last_result(), MessageId::ResultUnknown);
    EXPECT_TRUE(store_has("c.bmp"));
    EXPECT_FALSE(rig_.values().connected.load());
}

TEST_F(FaultAtAFrame, AKeepTheHandsetRefusesIsNoSuccess) {
    connect();
    rig_.ui().set_converted(CoreRig::pattern(1536, 3));
    rig_.choose_pc_file("photo.jpg", FileType::Picture, "abc");
    // While the last packet goes, the folder fills up on the handset: the keep finds no room.
    rig_.on_window([&] {
        rig_.ui().on_report([this](const std::string &text) {
            if (text == "正在发送第3个数据包...") {
                for (int i = 0; i < 10; ++i) {
                    CoreRig::write_file(rig_.store() / "pic" / ("f" + std::to_string(i) + ".bmp"),
                                        CoreRig::pattern(10));
                }
            }
        });
    });
    rig_.ui().answer({BoxAnswer::Ok, BoxAnswer::Cancel, BoxAnswer::Ok});
    run([](MainCore &c) { c.download_command(); });
    rig_.on_window([&] { rig_.ui().on_report(nullptr); });
    const std::string source = (rig_.pc() / "photo.jpg").string();
    EXPECT_TRUE(rig_.ui().saw("box 确认 error 文件\"" + source + "\"保存失败")) << rig_.dump();
    EXPECT_FALSE(rig_.ui().saw("status 文件\"" + source + "\"下载成功"));
    EXPECT_EQ(last_result(), MessageId::SaveFailed);
    EXPECT_FALSE(store_has("abc.bmp"));
}

TEST_F(FaultAtAFrame, AKeepWhoseReplyIsLostIsUnknown) {
    connect();
    rig_.ui().set_converted(CoreRig::pattern(1536, 3));
    rig_.choose_pc_file("photo.jpg", FileType::Picture, "abc");
    // Announce 3, start packet 4, three data packets 4 each, end packet 4, keep 2, its reply.
    at(3 + 4 + 3 * 4 + 4 + 3, "withhold");
    rig_.ui().answer({BoxAnswer::Ok, BoxAnswer::Cancel, BoxAnswer::Ok});
    run([](MainCore &c) { c.download_command(); });
    EXPECT_TRUE(rig_.ui().saw(kUnknownBox)) << rig_.dump();
    EXPECT_EQ(last_result(), MessageId::ResultUnknown);
    EXPECT_TRUE(store_has("abc.bmp"));
    ASSERT_TRUE(rig_.ui().wait_for("rows a.bmp:512 abc.bmp:2048 b.bmp:1024")) << rig_.dump();
}

TEST_F(FaultAtAFrame, AReplySentAgainNeverConfirmsAKeepCutShort) {
    connect();
    rig_.ui().set_converted(CoreRig::pattern(1536, 3));
    rig_.choose_pc_file("photo.jpg", FileType::Picture, "abc");
    // Announce 3, start packet 4, three data packets 4 each, end packet 4, preview 2, its reply
    // (26): the PC's ACK of the reply is lost, so the handset sends it again a second later.
    // Meanwhile the keep's first frame (27) is held past the PC's ACK wait: the keep is cut
    // short, and the reply sent again arrives while it waits.
    at(26, "lose-ack");
    at(27, "delay 1500");
    rig_.ui().answer({BoxAnswer::Ok, BoxAnswer::Ok, BoxAnswer::Ok});
    run([](MainCore &c) { c.download_command(); });
    const std::string source = (rig_.pc() / "photo.jpg").string();
    EXPECT_FALSE(rig_.ui().saw("status 文件\"" + source + "\"下载成功")) << rig_.dump();
    EXPECT_TRUE(rig_.ui().saw(kUnknownBox)) << rig_.dump();
    ASSERT_TRUE(rig_.sim().wait_idle(kBound));
    EXPECT_FALSE(store_has("abc.bmp")) << "the handset never had the keep whole";
}

TEST_F(FaultAtAFrame, AFormatWhoseFrameMayHaveArrivedIsJudgedByTheStoreAfterTheRestart) {
    connect();
    // A format while connected: its command is frames 1 and 2; the ACK of the last is lost. The
    // handset did format: the check after its restart sees the empty store, and only that makes
    // it a success (before, "unknown"; before that, a plain link error).
    at(2, "lose-ack");
    rig_.ui().answer({BoxAnswer::Ok});
    run([](MainCore &c) { c.format_command(); });
    EXPECT_TRUE(rig_.ui().saw("box 确认 info 格式化成功")) << rig_.dump();
    EXPECT_FALSE(rig_.ui().saw(kUnknownBox));
    EXPECT_FALSE(store_has("a.bmp")) << "the handset did format";
    EXPECT_TRUE(rig_.values().connected.load());
    EXPECT_TRUE(rig_.ui().rows().empty());
}

TEST_F(FaultAtAFrame, AListingThatNeverComesEndsTheConnect) {
    connect();
    const auto [start, packet] = listing_frames();
    ASSERT_GT(start, 0u);
    ASSERT_GT(packet, start);
    run([](MainCore &c) { c.disconnect_command(); });

    // Each connect's frames come in the same order, so counted from now they fall where the
    // first connect's did. The start packet never comes, then a data packet: each time the
    // connect fails at once instead of leaving the window waiting for a listing, and the next
    // connect works.
    for (uint32_t frame : {start, packet}) {
        at(static_cast<int>(frame), "withhold");
        run([](MainCore &c) { c.connect_command(); });
        ASSERT_TRUE(rig_.ui().wait_for("box 确认 error 连接手机失败", kBound)) << rig_.dump();
        EXPECT_FALSE(rig_.values().connected.load());
        ASSERT_TRUE(rig_.sim().control("clear"));
        connect();
        run([](MainCore &c) { c.disconnect_command(); });
    }
}

TEST_F(FaultAtAFrame, AListingReadAgainThatDoesNotComeEndsTheConnection) {
    connect();
    // The rename's reply is lost, and so is the start of the listing read again after it:
    // rename 1 to 3, list 4 and 5, its reply 6, the listing's start 7.
    at(3, "withhold");
    at(7, "withhold");
    run([](MainCore &c) { c.rename_file(FileType::Picture, "a.bmp", "c"); });
    EXPECT_TRUE(rig_.ui().saw(kUnknownBox)) << rig_.dump();
    ASSERT_TRUE(
        ::zemlo::testing::wait_until([&] { return !rig_.values().connected.load(); }, kBound));
    rig_.on_window([] {});
    EXPECT_TRUE(rig_.ui().rows().empty());
    EXPECT_EQ(rig_.ui().lines("buttons").back(), "buttons 10000");
    ASSERT_TRUE(rig_.sim().control("clear"));
    connect();
    EXPECT_TRUE(rig_.ui().saw("rows b.bmp:1024 c.bmp:512")) << rig_.dump();
}

TEST_F(FaultAtAFrame, ACancelTooLateToStopAnOperationLeavesItsSuccess) {
    connect();
    // The handset answers late; Cancel comes once it has taken the command.
    ASSERT_TRUE(rig_.sim().control("delay 300"));
    const uint64_t received = rig_.sim().stats().messages_received;
    rig_.ui().clear_log();
    rig_.on_window([this] { rig_.core().rename_file(FileType::Picture, "a.bmp", "c"); });
    ASSERT_TRUE(::zemlo::testing::wait_until(
        [&] { return rig_.sim().stats().messages_received > received; }, kBound));
    rig_.loop().post([this] { rig_.core().wait_cancel(); });
    ASSERT_TRUE(rig_.wait_idle(kBound)) << rig_.dump();
    EXPECT_TRUE(store_has("c.bmp"));
    EXPECT_EQ(last_result(), MessageId::RenameDone);
    ASSERT_FALSE(rig_.ui().outcomes().empty());
    EXPECT_TRUE(rig_.ui().outcomes().back().succeeded);
}

TEST_F(FaultAtAFrame, ACancelDuringAFormatsHandshakeFormatsNothing) {
    ASSERT_TRUE(rig_.sim().control("delay 300"));
    const uint64_t received = rig_.sim().stats().messages_received;
    rig_.ui().answer({BoxAnswer::Ok});
    rig_.on_window([this] { rig_.core().format_command(); });
    // Filter, setup and the handshake: the Cancel comes while the handset's reply is on its way.
    ASSERT_TRUE(::zemlo::testing::wait_until(
        [&] { return rig_.sim().stats().messages_received >= received + 3; }, kBound));
    rig_.loop().post([this] { rig_.core().wait_cancel(); });
    ASSERT_TRUE(rig_.wait_idle(kBound)) << rig_.dump();
    EXPECT_TRUE(store_has("a.bmp"));
    EXPECT_FALSE(rig_.ui().saw("report 0 0 格式化..."));
}

}  // namespace
}  // namespace zemlo::app
