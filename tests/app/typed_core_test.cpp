// What the core hands its front ends as values: the questions with their subjects, where a
// transfer stands, how each operation ended, and the requests the command line makes without the
// window's gestures.
#include <gtest/gtest.h>

#include "core_rig.h"

namespace zemlo::app {
namespace {

using namespace std::chrono_literals;
using testing::CoreRig;

constexpr auto kBound = 30s;

class TypedCore : public ::testing::Test {
  protected:
    void start() {
        std::string error;
        ASSERT_TRUE(rig_.start_handset(&error)) << error;
        ASSERT_TRUE(rig_.start_core());
        ASSERT_TRUE(rig_.connect(kBound)) << rig_.dump();
        // The outcome follows the status line within the same call on the window thread.
        rig_.on_window([] {});
    }
    Outcome last_outcome() {
        const auto all = rig_.ui().outcomes();
        return all.empty() ? Outcome{} : all.back();
    }

    CoreRig rig_;
};

TEST_F(TypedCore, DownloadTellsItsQuestionsProgressAndOutcome) {
    start();
    EXPECT_EQ(last_outcome().operation, Operation::Connect);
    EXPECT_TRUE(last_outcome().succeeded);
    EXPECT_EQ(last_outcome().result, MessageId::ConnectDone);

    const size_t size = 1300;  // three packets, the last one short
    const std::string source = (rig_.pc() / "photo.jpg").string();
    CoreRig::write_file(source, CoreRig::pattern(10, 3));
    rig_.ui().set_converted(CoreRig::pattern(size, 3));
    rig_.ui().answer({BoxAnswer::Cancel, BoxAnswer::Ok});  // no preview, keep it
    ASSERT_TRUE(
        rig_.run([&](MainCore &c) { c.download_file(FileType::Picture, source, "abc"); }, kBound));

    EXPECT_EQ(rig_.ui().questions(),
              (std::vector<QuestionAsked>{{Question::PreviewPicture, source, {}},
                                          {Question::KeepFile, source, {}}}));
    std::vector<Progress> transfer;
    for (const Progress &p : rig_.ui().progress()) {
        if (p.stage == Stage::Announcing || p.stage == Stage::Sending) {
            transfer.push_back(p);
        }
    }
    EXPECT_EQ(transfer, (std::vector<Progress>{{Stage::Announcing, 0, 3, 0, size},
                                               {Stage::Sending, 1, 3, 0, size},
                                               {Stage::Sending, 2, 3, 512, size},
                                               {Stage::Sending, 3, 3, 1024, size}}));
    const Outcome o = last_outcome();
    EXPECT_EQ(o.operation, Operation::Download);
    EXPECT_TRUE(o.succeeded);
    EXPECT_EQ(o.result, MessageId::DownloadSaved);
    EXPECT_EQ(o.file, source);
    // The texts the user reads are unchanged.
    EXPECT_TRUE(rig_.ui().saw("status 文件\"" + source + "\"下载成功")) << rig_.dump();
    EXPECT_TRUE(rig_.ui().saw("report 0 0 正在发送第3个数据包..."));
    EXPECT_EQ(CoreRig::read_file(rig_.store() / "pic" / "abc.bmp"), CoreRig::pattern(size, 3));
}

TEST_F(TypedCore, RenameAndDeleteRequestsNameTheFileByTypeAndName) {
    CoreRig::write_file(rig_.store() / "pic" / "abc.bmp", CoreRig::pattern(100, 3));
    CoreRig::write_file(rig_.store() / "melody" / "tune.mid", CoreRig::pattern(100, 4));
    start();
    rig_.ui().clear_log();

    // A name the handset would not take is refused before anything starts.
    bool started = true;
    rig_.on_window([&] { started = rig_.core().rename_file(FileType::Picture, "abc.bmp", "a_b"); });
    EXPECT_FALSE(started);
    EXPECT_EQ(rig_.ui().lines("box"),
              std::vector<std::string>{
                  "box 确认 error "
                  "请输入字母和数字组成的文件名!\n手机的文件名最多8个字符，只能用英文字母和数字"});
    rig_.on_window([&] { started = rig_.core().rename_file(FileType::Picture, "x.bmp", "new"); });
    EXPECT_FALSE(started);  // no such file
    // A name is looked up in its own type's folder only.
    rig_.on_window([&] { started = rig_.core().delete_file(FileType::Melody, "abc.bmp"); });
    EXPECT_FALSE(started);

    ASSERT_TRUE(rig_.sim().control("in-use abc.bmp"));
    const auto rename = [](MainCore &c) { c.rename_file(FileType::Picture, "abc.bmp", "new"); };
    ASSERT_TRUE(rig_.run(rename, kBound));
    EXPECT_EQ(last_outcome().result, MessageId::FileInUse);
    EXPECT_FALSE(last_outcome().succeeded);
    EXPECT_EQ(last_outcome().file, "abc.bmp");
    ASSERT_TRUE(rig_.sim().control("release abc.bmp"));

    ASSERT_TRUE(rig_.run(rename, kBound));
    EXPECT_EQ(last_outcome().operation, Operation::Rename);
    EXPECT_EQ(last_outcome().result, MessageId::RenameDone);
    EXPECT_TRUE(last_outcome().succeeded);
    EXPECT_TRUE(std::filesystem::exists(rig_.store() / "pic" / "new.bmp"));

    // The renamed file is known by its new name; the melody folder is reached from the pictures.
    ASSERT_TRUE(rig_.run([](MainCore &c) { c.delete_file(FileType::Picture, "new.bmp"); }, kBound));
    EXPECT_EQ(last_outcome().operation, Operation::Delete);
    EXPECT_EQ(last_outcome().result, MessageId::DeleteDone);
    EXPECT_FALSE(std::filesystem::exists(rig_.store() / "pic" / "new.bmp"));
    ASSERT_TRUE(rig_.run([](MainCore &c) { c.delete_file(FileType::Melody, "tune.mid"); }, kBound));
    EXPECT_EQ(last_outcome().result, MessageId::DeleteDone);
    EXPECT_FALSE(std::filesystem::exists(rig_.store() / "melody" / "tune.mid"));
    // Neither request asked anything nor edited a row in place.
    EXPECT_TRUE(rig_.ui().questions().empty());
    EXPECT_TRUE(rig_.ui().lines("edit").empty());
}

TEST_F(TypedCore, APortThatWillNotOpenIsInTheOutcome) {
    ASSERT_TRUE(rig_.start_core((rig_.dir() / "no-such-tty").string()));
    ASSERT_TRUE(rig_.run([](MainCore &c) { c.connect_command(); }, kBound));
    const Outcome o = last_outcome();
    EXPECT_EQ(o.operation, Operation::Connect);
    EXPECT_FALSE(o.succeeded);
    ASSERT_TRUE(o.open_failure.has_value()) << rig_.dump();
    EXPECT_TRUE(o.open_failure->port_unavailable());
    EXPECT_NE(o.open_failure->reason.find("no-such-tty"), std::string::npos);
}

}  // namespace
}  // namespace zemlo::app
