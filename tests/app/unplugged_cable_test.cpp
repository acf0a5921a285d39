// The cable pulled out: the serial device vanishing in the middle of a transfer, and the port
// missing altogether, end the operation with a clear report and no hang; once the device is back
// the next connect works.
#include <gtest/gtest.h>

#include "core_rig.h"

namespace zemlo::app {
namespace {

using namespace std::chrono_literals;
using testing::CoreRig;

constexpr auto kBound = 30s;

class UnpluggedCable : public ::testing::Test {
  protected:
    void SetUp() override {
        CoreRig::write_file(rig_.pc() / "photo.jpg", CoreRig::pattern(300, 5));
        std::string error;
        ASSERT_TRUE(rig_.start_handset(&error)) << error;
        ASSERT_TRUE(rig_.start_core());
        ASSERT_TRUE(rig_.connect(kBound)) << rig_.dump();
    }

    bool download(const std::string &name, size_t size) {
        rig_.ui().set_converted(CoreRig::pattern(size, 5));
        rig_.choose_pc_file("photo.jpg", FileType::Picture, name);
        rig_.ui().answer({BoxAnswer::Ok, BoxAnswer::Cancel, BoxAnswer::Ok});
        return rig_.run([](MainCore &c) { c.download_command(); }, kBound);
    }

    CoreRig rig_;
};

TEST_F(UnpluggedCable, LineGoneMidTransferEndsTheDownloadAndTheNextConnectWorks) {
    ASSERT_TRUE(rig_.sim().control("hangup-after 2"));
    rig_.ui().clear_log();
    const auto started = std::chrono::steady_clock::now();
    ASSERT_TRUE(download("gone", 3000)) << "the download hung\n" << rig_.dump();
    // Three tries of the next packet, each bounded by the library's timeout.
    EXPECT_LT(std::chrono::steady_clock::now() - started, 20s);
    // The box tells a lost line from a refusal, and that the handset kept nothing.
    EXPECT_TRUE(
        rig_.ui().saw("box 确认 error 发送第3个数据包错误\n连接已断开（数据线或串口设备被拔出），"
                      "手机没有保存这个文件"))
        << rig_.dump();
    EXPECT_FALSE(rig_.ui().saw("report 0 0 正在发送第4个数据包..."));
    EXPECT_FALSE(rig_.values().connected.load());
    EXPECT_EQ(rig_.ui().lines("link").back(), "link    COM3未连接");
    EXPECT_EQ(rig_.ui().lines("buttons").back(), "buttons 10000");
    EXPECT_TRUE(rig_.ui().rows().empty());
    EXPECT_TRUE(rig_.open_work_files().empty());
    EXPECT_FALSE(std::filesystem::exists(rig_.store() / "pic" / "gone.bmp"));
    EXPECT_EQ(CoreRig::read_file(rig_.pc() / "photo.jpg"), CoreRig::pattern(300, 5));

    // The device is back under the same name: connect and download as before.
    ASSERT_TRUE(rig_.connect(kBound)) << rig_.dump();
    ASSERT_TRUE(download("back", 3000)) << rig_.dump();
    EXPECT_TRUE(rig_.ui().saw("status 文件\"" + (rig_.pc() / "photo.jpg").string() + "\"下载成功"))
        << rig_.dump();
    EXPECT_EQ(CoreRig::read_file(rig_.store() / "pic" / "back.bmp"), CoreRig::pattern(3000, 5));
}

TEST_F(UnpluggedCable, UnpluggedWhileConnectedIsNoticedAtOnceThenBackAgain) {
    // Unplugged while idle: the device hangs up and its node disappears. The program sees it
    // without being asked and ends the connection.
    rig_.ui().clear_log();
    const auto pulled = std::chrono::steady_clock::now();
    rig_.stop_handset();
    ASSERT_TRUE(rig_.ui().wait_for("status 手机连接已断开（数据线或串口设备已拔出）", kBound))
        << rig_.dump();
    // Noticed from the line itself, not by a request that timed out.
    EXPECT_LT(std::chrono::steady_clock::now() - pulled, 5s);
    EXPECT_FALSE(rig_.values().connected.load());
    EXPECT_EQ(rig_.ui().lines("link").back(), "link    COM3未连接");
    EXPECT_EQ(rig_.ui().lines("buttons").back(), "buttons 10000");
    EXPECT_TRUE(rig_.ui().rows().empty());
    ASSERT_TRUE(rig_.run([](MainCore &c) { c.disconnect_command(); }, kBound)) << rig_.dump();

    rig_.ui().clear_log();
    ASSERT_TRUE(rig_.run([](MainCore &c) { c.connect_command(); }, kBound)) << rig_.dump();
    const auto boxes = rig_.ui().lines("box");
    ASSERT_EQ(boxes.size(), 1u) << rig_.dump();
    EXPECT_EQ(boxes[0].rfind("box 错误 error 不能打开COM端口\n", 0), 0u) << boxes[0];
    EXPECT_EQ(rig_.ui().lines("buttons").back(), "buttons 10000");

    // Plugged in again: the link is made anew under the same name.
    std::string error;
    ASSERT_TRUE(rig_.start_handset(&error)) << error;
    ASSERT_TRUE(rig_.connect(kBound)) << rig_.dump();
    EXPECT_TRUE(rig_.values().connected.load());
    ASSERT_TRUE(download("again", 3000)) << rig_.dump();
    EXPECT_EQ(CoreRig::read_file(rig_.store() / "pic" / "again.bmp"), CoreRig::pattern(3000, 5));
}

}  // namespace
}  // namespace zemlo::app
