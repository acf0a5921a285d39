// The main program's operations end to end, without a window: the core drives the real
// libhandlink.so, which talks over a pseudo-terminal to the handset emulator.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <thread>

#include "core_rig.h"
#include "wait_until.h"
#include "zemlo/byte_order.h"
#include "zemlo/signal_record.h"

namespace zemlo::app {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using testing::CoreRig;
using testing::RecordingUi;

void write_file(const fs::path &p, const std::vector<uint8_t> &bytes) {
    CoreRig::write_file(p, bytes);
}

std::vector<uint8_t> read_file(const fs::path &p) {
    return CoreRig::read_file(p);
}

// A handset event as the library forwards it: the record head, the long header, the command.
std::vector<uint8_t> event_record(uint16_t code) {
    records::RemoteCommand c;
    c.group = records::kGroupEvent;
    c.code = code;
    const auto body = records::encode_remote_command(c);
    const size_t message = kLongBodyOffset + records::kRemoteCommandBytes;
    std::vector<uint8_t> record(kRecordHeadBytes + message, 0);
    write_le32(&record[kRecordKindOffset], kKindLongHeader);
    write_le16(&record[kRecordLengthOffset], static_cast<uint16_t>(message));
    uint8_t *m = &record[kRecordHeadBytes];
    write_le16(m + kLongBodyLengthOffset, static_cast<uint16_t>(records::kRemoteCommandBytes));
    write_le16(m + kLongSignalIdOffset, records::kSigDlwRemoteCmdInd);
    std::copy_n(body.begin(), records::kRemoteCommandBytes, m + kLongBodyOffset);
    return record;
}

class CoreAgainstHandset : public ::testing::Test {
  protected:
    void SetUp() override {
        write_file(pc_ / "photo.jpg", CoreRig::pattern(10));
        write_file(pc_ / "tune.mid", CoreRig::pattern(10));
    }

    void start(bool port_device_missing = false) {
        std::string error;
        ASSERT_TRUE(rig_.start_handset(&error)) << error;
        sim_ = &rig_.sim();
        loaded_ = rig_.start_core(port_device_missing ? (rig_.dir() / "absent").string() : "");
        core_ = &rig_.core();
    }

    void on_window(const std::function<void()> &fn) { rig_.on_window(fn); }

    // Runs a command on the window thread and waits for the operation it starts to end.
    void run(const std::function<void(MainCore &)> &command) {
        ASSERT_TRUE(rig_.run(command, kOperationBound)) << "the operation did not end\n" << dump();
    }

    void connect() { ASSERT_TRUE(rig_.connect(kOperationBound)) << dump(); }

    void choose_pc_file(const std::string &name, FileType type, const std::string &download_name) {
        rig_.choose_pc_file(name, type, download_name);
    }

    // Connected, and a picture download under way on a handset that answers each packet late:
    // the second packet is reported.
    void start_slow_download() {
        start();
        connect();
        ASSERT_TRUE(sim_->control("delay 150"));
        ui_.set_converted(CoreRig::pattern(5000));
        choose_pc_file("photo.jpg", FileType::Picture, "slow");
        ui_.answer({BoxAnswer::Ok});
        on_window([&] { core_->download_command(); });
        ASSERT_TRUE(ui_.wait_for("report 0 0 正在发送第2个数据包..."));
    }

    bool sim_saw(const std::string &line) { return rig_.sim_saw(line); }
    void clear_sim_log() { rig_.clear_sim_log(); }
    std::string dump() const { return rig_.dump(); }

    template <typename T>
    T read_state(const std::function<T()> &fn) {
        T value{};
        on_window([&] { value = fn(); });
        return value;
    }

    static constexpr auto kOperationBound = 60s;

    CoreRig rig_;
    const fs::path &store_ = rig_.store();
    const fs::path &pc_ = rig_.pc();
    ProgramValues &values_ = rig_.values();
    RecordingUi &ui_ = rig_.ui();
    handsim::Emulator *sim_ = nullptr;
    MainCore *core_ = nullptr;
    bool loaded_ = false;
};

TEST_F(CoreAgainstHandset, ConnectListsBothFoldersWithAllocationSizes) {
    write_file(store_ / "pic" / "a.bmp", CoreRig::pattern(100));
    write_file(store_ / "pic" / "b.bmp", CoreRig::pattern(1024));
    write_file(store_ / "melody" / "m.mid", CoreRig::pattern(513));
    start();
    ASSERT_TRUE(loaded_);
    EXPECT_TRUE(ui_.saw("link    COM3未连接"));
    connect();
    EXPECT_TRUE(ui_.saw("report 0 2 连接中..."));
    EXPECT_TRUE(ui_.saw("report 0 0 读取数据..."));
    EXPECT_EQ(ui_.lines("buttons").back(), "buttons 11111");
    EXPECT_EQ(ui_.lines("link").back(), "link    COM3已连接");
    EXPECT_TRUE(values_.connected.load());
    EXPECT_EQ(read_state<int64_t>([&] { return core_->listing().capacity(); }), 524288 - 92160);
    EXPECT_EQ(read_state<int64_t>([&] { return core_->listing().free_space(); }),
              524288 - 92160 - 512 - 1536 - 1024);
    auto rows = ui_.rows();
    ASSERT_EQ(rows.size(), 2u);
    std::sort(rows.begin(), rows.end(), [](auto &x, auto &y) { return x.name < y.name; });
    EXPECT_EQ(rows[0].name + ":" + rows[0].size, "a.bmp:512");
    EXPECT_EQ(rows[1].name + ":" + rows[1].size, "b.bmp:1536");

    // The melody folder shows its own files and becomes the target of rename and delete.
    on_window([&] { core_->handset_folder_selected(FileType::Melody); });
    ASSERT_EQ(ui_.rows().size(), 1u);
    EXPECT_EQ(ui_.rows()[0].size, "1024");
    EXPECT_EQ(read_state<std::string>([&] { return core_->current_handset_folder(); }),
              "a:\\pcdlw\\melody");

    // Disconnect tells the handset and leaves the window not connected.
    run([](MainCore &c) { c.disconnect_command(); });
    EXPECT_TRUE(ui_.saw("status 已断开连接"));
    EXPECT_EQ(ui_.lines("link").back(), "link    COM3未连接");
    EXPECT_EQ(ui_.lines("buttons").back(), "buttons 10000");
    EXPECT_TRUE(ui_.rows().empty());
}

TEST_F(CoreAgainstHandset, ConnectWithoutHandsetTriesThreeTimesAndShowsOneReason) {
    start(/*port_device_missing=*/true);
    run([](MainCore &c) { c.connect_command(); });
    const auto boxes = ui_.lines("box");
    ASSERT_EQ(boxes.size(), 1u) << dump();
    EXPECT_EQ(boxes[0].rfind("box 错误 error 不能打开COM端口\n", 0), 0u) << boxes[0];
    EXPECT_NE(boxes[0].find("absent"), std::string::npos) << boxes[0];
    EXPECT_EQ(ui_.lines("report").back(), "report 0 0 ");
    EXPECT_EQ(ui_.lines("buttons").back(), "buttons 10000");
    EXPECT_FALSE(values_.connected.load());
}

TEST_F(CoreAgainstHandset, PictureDownloadKeptThenReplacedAndDiscarded) {
    start();
    connect();
    const int64_t free_before = read_state<int64_t>([&] { return core_->listing().free_space(); });
    const auto picture = CoreRig::pattern(1536, 3);
    ui_.set_converted(picture);
    choose_pc_file("photo.jpg", FileType::Picture, "abc");
    ui_.clear_log();
    ui_.answer({BoxAnswer::Ok, BoxAnswer::Ok, BoxAnswer::Ok});
    run([](MainCore &c) { c.download_command(); });
    const std::string source = (pc_ / "photo.jpg").string();
    EXPECT_TRUE(ui_.saw("box 确认 question 你确定要下载文件\"" + source +
                        "\"到\"abc.bmp\"吗?(若有同名文件则覆盖) -> ok"))
        << dump();
    // Three data packets, and a progress range of blocks + 5.
    EXPECT_TRUE(ui_.saw("report 0 8 初始化下载..."));
    EXPECT_TRUE(ui_.saw("report 0 0 正在发送第3个数据包..."));
    EXPECT_FALSE(ui_.saw("report 0 0 正在发送第4个数据包..."));
    EXPECT_TRUE(ui_.saw("box 确认 question 要在手机上预览吗? -> ok"));
    EXPECT_TRUE(ui_.saw("report 0 0 已设置为预览"));
    EXPECT_TRUE(ui_.saw("status 文件\"" + source + "\"下载成功")) << dump();
    EXPECT_EQ(read_file(store_ / "pic" / "abc.bmp"), picture);
    EXPECT_EQ(read_state<int64_t>([&] { return core_->listing().free_space(); }),
              free_before - 2048);
    EXPECT_EQ(ui_.rows().size(), 1u);
    EXPECT_EQ(ui_.lines("buttons").back(), "buttons 11111");

    // The same name again replaces the entry and returns the old space first.
    ui_.set_converted(CoreRig::pattern(100, 9));
    ui_.answer({BoxAnswer::Ok, BoxAnswer::Cancel, BoxAnswer::Ok});
    run([](MainCore &c) { c.download_command(); });
    ASSERT_EQ(read_state<size_t>([&] { return core_->listing().table().entries().size(); }), 1u);
    EXPECT_EQ(read_state<std::string>([&] { return core_->listing().table().entries()[0].text; }),
              "abc.bmp^100");
    EXPECT_EQ(read_state<int64_t>([&] { return core_->listing().free_space(); }),
              free_before - 512);
    EXPECT_EQ(read_file(store_ / "pic" / "abc.bmp"), CoreRig::pattern(100, 9));

    // Discarding leaves the table as it was.
    ui_.set_converted(CoreRig::pattern(700, 5));
    on_window([&] { core_->download_name_changed("other"); });
    ui_.answer({BoxAnswer::Ok, BoxAnswer::Cancel, BoxAnswer::Cancel});
    run([](MainCore &c) { c.download_command(); });
    EXPECT_TRUE(ui_.saw("status 文件\"" + source + "\"未保存"));
    EXPECT_EQ(read_state<size_t>([&] { return core_->listing().table().entries().size(); }), 1u);
    EXPECT_FALSE(fs::exists(store_ / "pic" / "other.bmp"));
}

TEST_F(CoreAgainstHandset, MelodyLimitsAndTheSixBytePrefix) {
    start();
    connect();
    choose_pc_file("tune.mid", FileType::Melody, "tune");
    EXPECT_TRUE(ui_.saw("ext .mid"));
    EXPECT_TRUE(ui_.saw("panel 1"));

    // 513 bytes: two blocks, the second data packet empty.
    ui_.set_converted(CoreRig::pattern(513, 4));
    ui_.answer({BoxAnswer::Ok, BoxAnswer::Cancel, BoxAnswer::Ok});
    run([](MainCore &c) { c.download_command(); });
    EXPECT_TRUE(ui_.saw("report 0 7 初始化下载...")) << dump();
    EXPECT_TRUE(ui_.saw("report 0 0 正在发送第2个数据包..."));
    EXPECT_EQ(
        read_state<std::string>([&] { return core_->listing().table().entries().back().text; }),
        "tune.mid^513");
    EXPECT_TRUE(fs::exists(store_ / "melody" / "tune.mid"));

    ui_.set_converted(CoreRig::pattern(51201, 4));
    ui_.answer({BoxAnswer::Ok});
    run([](MainCore &c) { c.download_command(); });
    EXPECT_TRUE(ui_.saw("box 确认 error 所选择的MIDI文件格式转换后大于50K!"));

    // Exactly 50 KiB is still a melody the handset takes.
    ui_.set_converted(CoreRig::pattern(51200, 4));
    on_window([&] { core_->download_name_changed("long"); });
    ui_.answer({BoxAnswer::Ok, BoxAnswer::Cancel, BoxAnswer::Cancel});
    run([](MainCore &c) { c.download_command(); });
    EXPECT_TRUE(ui_.saw("report 0 0 正在发送第100个数据包...")) << dump();
    EXPECT_TRUE(ui_.saw("report 0 0 清除数据..."));

    ui_.set_converted({}, /*ok=*/false);
    ui_.answer({BoxAnswer::Ok});
    run([](MainCore &c) { c.download_command(); });
    EXPECT_TRUE(ui_.saw("box 确认 error 转换MIDI文件失败！"));
    // The connection survives refused downloads.
    EXPECT_EQ(ui_.lines("buttons").back(), "buttons 11111");
}

TEST_F(CoreAgainstHandset, FolderLimitAndSpaceAreCheckedBeforeSending) {
    for (int i = 0; i < 10; ++i) {
        write_file(store_ / "pic" / ("p" + std::to_string(i) + ".bmp"), CoreRig::pattern(30748));
    }
    // Two long melodies leave 19456 bytes free.
    write_file(store_ / "melody" / "m1.mid", CoreRig::pattern(50000));
    write_file(store_ / "melody" / "m2.mid", CoreRig::pattern(50000));
    start();
    connect();
    ui_.set_converted(CoreRig::pattern(1000));
    choose_pc_file("photo.jpg", FileType::Picture, "fresh");
    ui_.answer({BoxAnswer::Ok});
    run([](MainCore &c) { c.download_command(); });
    EXPECT_TRUE(ui_.saw("box 确认 error 已超过可下载文件数,请先删除文件"));
    EXPECT_FALSE(ui_.saw("report 0 0 转换图形文件..."));

    // An existing name may be replaced, but not by more than the space allows: the 31232 bytes
    // of p1 and the free space make 50688, less than 60000 bytes need.
    on_window([&] { core_->download_name_changed("p1"); });
    ui_.set_converted(CoreRig::pattern(60000));
    ui_.answer({BoxAnswer::Ok});
    run([](MainCore &c) { c.download_command(); });
    // The box says by how much: 60000 bytes take 118 blocks of 512, against 50688 available.
    EXPECT_TRUE(
        ui_.saw("box 确认 error 手机剩余空间不够！\n这个文件占用60416字节，手机只有50688字节可用"))
        << dump();
}

TEST_F(CoreAgainstHandset, HandsetEventStopsTheDownloadAtOnce) {
    start();
    connect();
    ASSERT_TRUE(sim_->control("event 1 after 5"));
    ui_.set_converted(CoreRig::pattern(4000));
    choose_pc_file("photo.jpg", FileType::Picture, "big");
    ui_.answer({BoxAnswer::Ok});
    on_window([&] { core_->download_command(); });
    ASSERT_TRUE(ui_.wait_for("box 确认 error 手机来电，中断操作！")) << dump();
    ASSERT_TRUE(rig_.wait_idle(kOperationBound));
    on_window([] {});  // what the worker posted before it ended has reached the window
    EXPECT_FALSE(ui_.saw("report 0 0 正在发送第7个数据包...")) << dump();
    EXPECT_FALSE(values_.connected.load());
    EXPECT_TRUE(values_.cancel.load());
    EXPECT_EQ(ui_.lines("link").back(), "link    COM3未连接");
    EXPECT_EQ(ui_.lines("buttons").back(), "buttons 10000");
    EXPECT_TRUE(ui_.rows().empty());

    // The next connect works.
    ui_.clear_log();
    connect();
}

// Several files chosen together in the PC list, in one connection.
class BatchAgainstHandset : public CoreAgainstHandset {
  protected:
    void choose_pc_files(const std::vector<std::string> &names) {
        for (const std::string &name : names) {
            if (!fs::exists(pc_ / name)) {
                write_file(pc_ / name, CoreRig::pattern(10));
            }
        }
        on_window([&] {
            core_->file_type_changed(FileType::Picture);
            core_->pc_folder_selected(pc_.string());
            core_->pc_files_chosen(names);
        });
    }
    std::string source(const std::string &name) const { return (pc_ / name).string(); }
    // The summary box's lines, or nothing when none was shown.
    std::string summary() const {
        for (const std::string &line : ui_.lines("box 确认 info ")) {
            if (line.find("个下载成功") != std::string::npos) {
                return line.substr(std::string("box 确认 info ").size());
            }
        }
        return {};
    }
    bool reported(const std::string &text) const {
        const auto lines = ui_.lines("report ");
        return std::any_of(lines.begin(), lines.end(),
                           [&](const std::string &l) { return l.find(text) != std::string::npos; });
    }
};

TEST_F(BatchAgainstHandset, EachFileArrivesExactlyWithOneQuestionForAllOrOneForEach) {
    start();
    connect();
    const auto a = CoreRig::pattern(1536, 3);
    const auto b = CoreRig::pattern(100, 5);
    const auto c = CoreRig::pattern(3000, 7);
    ui_.set_converted_for("a.jpg", a);
    ui_.set_converted_for("b.gif", b);
    ui_.set_converted_for("c.bmp", c);
    choose_pc_files({"a.jpg", "b.gif", "c.bmp"});
    ui_.answer({BoxAnswer::Ok, BoxAnswer::Ok});
    run([](MainCore &c) { c.download_command(); });
    EXPECT_EQ(read_file(store_ / "pic" / "a.bmp"), a) << dump();
    EXPECT_EQ(read_file(store_ / "pic" / "b.bmp"), b);
    EXPECT_EQ(read_file(store_ / "pic" / "c.bmp"), c);
    // Asked once: the batch, then keep all; no preview or keep question for any file.
    const auto questions = ui_.questions();
    ASSERT_EQ(questions.size(), 2u);
    EXPECT_EQ(questions[0].question, Question::ConfirmBatch);
    EXPECT_EQ(questions[0].file, "3");
    EXPECT_EQ(questions[1].question, Question::KeepAll);
    // Each file converted with its own source, and its steps shown with its place in the batch.
    ASSERT_EQ(ui_.conversions().size(), 3u);
    EXPECT_EQ(ui_.conversions()[1].first, source("b.gif"));
    EXPECT_TRUE(reported("文件2/3：b.gif\n正在发送第1个数据包..."));
    EXPECT_TRUE(reported("文件3/3：c.bmp\n正在发送第6个数据包..."));
    EXPECT_EQ(summary(), "3个文件中有3个下载成功：\n" + source("a.jpg") + " → a.bmp：文件\"" +
                             source("a.jpg") + "\"下载成功\n" + source("b.gif") +
                             " → b.bmp：文件\"" + source("b.gif") + "\"下载成功\n" +
                             source("c.bmp") + " → c.bmp：文件\"" + source("c.bmp") + "\"下载成功")
        << dump();
    ASSERT_FALSE(ui_.outcomes().empty());
    EXPECT_TRUE(ui_.outcomes().back().succeeded);
    EXPECT_EQ(ui_.outcomes().back().operation, Operation::DownloadBatch);
    EXPECT_EQ(read_state<size_t>([&] { return core_->listing().table().entries().size(); }), 3u);
    EXPECT_EQ(ui_.lines("buttons").back(), "buttons 11111");

    // Asked for each: the first kept after its preview, the second discarded.
    ui_.clear_log();
    ui_.set_converted_for("a.jpg", CoreRig::pattern(700, 9));
    choose_pc_files({"a.jpg", "d.jpg"});
    ui_.answer({BoxAnswer::Ok, BoxAnswer::Cancel, BoxAnswer::Ok, BoxAnswer::Ok, BoxAnswer::Cancel,
                BoxAnswer::Cancel});
    run([](MainCore &c) { c.download_command(); });
    EXPECT_EQ(read_file(store_ / "pic" / "a.bmp"), CoreRig::pattern(700, 9)) << dump();
    EXPECT_FALSE(fs::exists(store_ / "pic" / "d.bmp"));
    EXPECT_TRUE(reported("文件1/2：a.jpg\n已设置为预览"));
    EXPECT_EQ(summary(), "2个文件中有1个下载成功：\n" + source("a.jpg") + " → a.bmp：文件\"" +
                             source("a.jpg") + "\"下载成功\n" + source("d.jpg") +
                             " → d.bmp：文件\"" + source("d.jpg") + "\"未保存")
        << dump();
    EXPECT_FALSE(ui_.outcomes().back().succeeded);
}

TEST_F(BatchAgainstHandset, ClashesAreRefusedFirstAndAFullFolderStopsTheRest) {
    for (int i = 0; i < 9; ++i) {
        write_file(store_ / "pic" / ("p" + std::to_string(i) + ".bmp"), CoreRig::pattern(100));
    }
    start();
    connect();
    // Two files the handset would keep under one name: refused before any question or packet.
    ui_.clear_log();
    clear_sim_log();
    choose_pc_files({"x.jpg", "X.gif"});
    on_window([&] { core_->download_command(); });
    on_window([] {});
    EXPECT_TRUE(ui_.saw("box 确认 error \"" + source("x.jpg") + "\"和\"" + source("X.gif") +
                        "\"在手机上都将是\"X.bmp\"，请改名其中一个后再下载"))
        << dump();
    EXPECT_TRUE(ui_.questions().empty());
    EXPECT_FALSE(reported("转换图形文件"));
    // A name with nothing the handset takes is refused the same way.
    choose_pc_files({"x.jpg", "__.jpg"});
    on_window([&] { core_->download_command(); });
    on_window([] {});
    EXPECT_TRUE(ui_.saw("box 确认 error 文件\"" + source("__.jpg") +
                        "\"的名字中没有手机能用的字母或数字，请改名后再下载"));
    EXPECT_TRUE(ui_.questions().empty());

    // Room for one more picture: the second file is refused and the third not sent.
    ui_.set_converted(CoreRig::pattern(300));
    choose_pc_files({"one.jpg", "two.jpg", "three.jpg"});
    ui_.answer({BoxAnswer::Ok, BoxAnswer::Ok});
    run([](MainCore &c) { c.download_command(); });
    EXPECT_TRUE(fs::exists(store_ / "pic" / "one.bmp"));
    EXPECT_FALSE(fs::exists(store_ / "pic" / "two.bmp"));
    EXPECT_FALSE(fs::exists(store_ / "pic" / "three.bmp"));
    EXPECT_EQ(summary(), "3个文件中有1个下载成功：\n" + source("one.jpg") + " → one.bmp：文件\"" +
                             source("one.jpg") + "\"下载成功\n" + source("two.jpg") +
                             " → two.bmp：已超过可下载文件数,请先删除文件\n" + source("three.jpg") +
                             " → three.bmp：未发送：已超过可下载文件数,请先删除文件")
        << dump();
    EXPECT_EQ(ui_.conversions().size(), 1u);
}

TEST_F(BatchAgainstHandset, CancelInsideAFileStopsTheRestAndSaysWhatArrived) {
    start();
    connect();
    ui_.set_converted_for("first.jpg", CoreRig::pattern(100, 2));
    ui_.set_converted(CoreRig::pattern(5000));
    choose_pc_files({"first.jpg", "second.jpg", "third.jpg"});
    ASSERT_TRUE(sim_->control("delay 150"));
    ui_.answer({BoxAnswer::Ok, BoxAnswer::Ok});
    ui_.on_report([&](const std::string &text) {
        if (text == "文件2/3：second.jpg\n正在发送第2个数据包...") {
            values_.cancel.store(true);  // as the wait window's Cancel does
        }
    });
    on_window([&] { core_->download_command(); });
    ASSERT_TRUE(rig_.wait_idle(kOperationBound)) << dump();
    on_window([] {});
    EXPECT_EQ(read_file(store_ / "pic" / "first.bmp"), CoreRig::pattern(100, 2));
    EXPECT_FALSE(fs::exists(store_ / "pic" / "second.bmp"));
    EXPECT_FALSE(reported("文件2/3：second.jpg\n正在发送第5个数据包"));
    EXPECT_FALSE(reported("文件3/3："));
    EXPECT_EQ(summary(), "3个文件中有1个下载成功：\n" + source("first.jpg") +
                             " → first.bmp：文件\"" + source("first.jpg") + "\"下载成功\n" +
                             source("second.jpg") + " → second.bmp：未下载完\n" +
                             source("third.jpg") + " → third.bmp：未发送：已取消")
        << dump();
    EXPECT_TRUE(sim_saw("command abort")) << dump();
}

TEST_F(BatchAgainstHandset, HandsetEventInsideTheSecondFileStopsTheRestAtOnce) {
    start();
    connect();
    ui_.set_converted_for("first.jpg", CoreRig::pattern(100, 2));
    ui_.set_converted(CoreRig::pattern(4000));
    choose_pc_files({"first.jpg", "second.jpg", "third.jpg"});
    ui_.answer({BoxAnswer::Ok, BoxAnswer::Ok});
    ui_.on_report([&](const std::string &text) {
        if (text == "文件2/3：second.jpg\n转换图形文件...") {
            EXPECT_TRUE(sim_->control("event 1 after 2"));
        }
    });
    on_window([&] { core_->download_command(); });
    ASSERT_TRUE(ui_.wait_for("box 确认 error 手机来电，中断操作！")) << dump();
    ASSERT_TRUE(rig_.wait_idle(kOperationBound));
    on_window([] {});
    EXPECT_EQ(read_file(store_ / "pic" / "first.bmp"), CoreRig::pattern(100, 2));
    EXPECT_FALSE(fs::exists(store_ / "pic" / "second.bmp"));
    EXPECT_FALSE(reported("文件2/3：second.jpg\n正在发送第6个数据包")) << dump();
    EXPECT_FALSE(reported("文件3/3："));
    EXPECT_EQ(ui_.conversions().size(), 2u);
    EXPECT_FALSE(values_.connected.load());
    EXPECT_EQ(ui_.lines("buttons").back(), "buttons 10000");
    // The event's own box, then the summary: what arrived before it, and why the rest did not.
    const auto boxes = ui_.lines("box ");
    ASSERT_GE(boxes.size(), 2u) << dump();
    EXPECT_EQ(boxes[boxes.size() - 2], "box 确认 error 手机来电，中断操作！");
    EXPECT_EQ(boxes.back(), "box 确认 info " + summary());
    EXPECT_EQ(summary(), "3个文件中有1个下载成功：\n" + source("first.jpg") +
                             " → first.bmp：文件\"" + source("first.jpg") + "\"下载成功\n" +
                             source("second.jpg") + " → second.bmp：未下载完\n" +
                             source("third.jpg") + " → third.bmp：未发送：手机来电，中断操作！")
        << dump();
    EXPECT_EQ(ui_.lines("status").back(), "status 3个文件中有1个下载成功：");
    // Byte for byte: what the summary says arrived is there, nothing else in the folder.
    std::vector<std::string> kept;
    for (const auto &entry : fs::directory_iterator(store_ / "pic")) {
        kept.push_back(entry.path().filename().string());
    }
    EXPECT_EQ(kept, std::vector<std::string>{"first.bmp"});
}

// An event while the handset is asked to keep a file: that file's result is unknown (it may have
// kept it), the one after it was not sent.
TEST_F(BatchAgainstHandset, HandsetEventWhileAFileIsKeptSaysItsResultIsUnknown) {
    start();
    connect();
    ui_.set_converted(CoreRig::pattern(700, 4));
    choose_pc_files({"first.jpg", "second.jpg"});
    ASSERT_TRUE(sim_->control("silent action"));
    clear_sim_log();
    ui_.answer({BoxAnswer::Ok, BoxAnswer::Ok});
    on_window([&] { core_->download_command(); });
    ASSERT_TRUE(
        ::zemlo::testing::wait_until([&] { return sim_saw("command action"); }, kOperationBound))
        << dump();
    ASSERT_TRUE(sim_->control("event 2"));
    ASSERT_TRUE(ui_.wait_for("box 确认 error 手机电压不足，中断操作！")) << dump();
    ASSERT_TRUE(rig_.wait_idle(kOperationBound));
    on_window([] {});
    EXPECT_FALSE(fs::exists(store_ / "pic" / "first.bmp"));
    EXPECT_FALSE(fs::exists(store_ / "pic" / "second.bmp"));
    const auto boxes = ui_.lines("box ");
    ASSERT_GE(boxes.size(), 3u) << dump();
    EXPECT_EQ(boxes[boxes.size() - 3], "box 确认 error 手机电压不足，中断操作！");
    EXPECT_EQ(boxes[boxes.size() - 2],
              "box 确认 error 未收到手机的确认，操作可能已完成，请查看文件列表");
    EXPECT_EQ(boxes.back(), "box 确认 info 2个文件中有0个下载成功：\n" + source("first.jpg") +
                                " → first.bmp：未收到手机的确认，操作可能已完成，请查看文件列表\n" +
                                source("second.jpg") +
                                " → second.bmp：未发送：手机电压不足，中断操作！")
        << dump();
}

TEST_F(CoreAgainstHandset, LostPacketIsRetriedAndRefusedPacketDropsTheConnection) {
    start();
    connect();
    ui_.set_converted(CoreRig::pattern(3000));
    choose_pc_file("photo.jpg", FileType::Picture, "lossy");
    // The third packet's first frame goes unanswered: the second try gets through.
    ui_.on_report([this](const std::string &text) {
        if (text == "正在发送第3个数据包...") {
            sim_->control("drop-ack 1");
        }
    });
    ui_.answer({BoxAnswer::Ok, BoxAnswer::Cancel, BoxAnswer::Ok});
    run([](MainCore &c) { c.download_command(); });
    EXPECT_TRUE(ui_.saw("status 文件\"" + (pc_ / "photo.jpg").string() + "\"下载成功")) << dump();
    EXPECT_EQ(read_file(store_ / "pic" / "lossy.bmp"), CoreRig::pattern(3000));

    // The second packet is refused every time: three tries, then the connection is dropped.
    ui_.clear_log();
    ui_.on_report([this](const std::string &text) {
        if (text == "正在发送第2个数据包...") {
            sim_->control("nak-every 1");
        }
    });
    ui_.answer({BoxAnswer::Ok});
    run([](MainCore &c) { c.download_command(); });
    // The handset was never told to keep the file: the box says it kept nothing.
    EXPECT_TRUE(ui_.saw("box 确认 error 发送第2个数据包错误\n手机没有保存这个文件，请重新下载"))
        << dump();
    EXPECT_FALSE(ui_.saw("report 0 0 正在发送第3个数据包..."));
    EXPECT_FALSE(values_.connected.load());
    EXPECT_EQ(ui_.lines("link").back(), "link    COM3未连接");
    EXPECT_EQ(ui_.lines("buttons").back(), "buttons 10000");
    EXPECT_TRUE(ui_.rows().empty());
    ui_.on_report(nullptr);
}

TEST_F(CoreAgainstHandset, CancelSendsTheAbortNotice) {
    start_slow_download();
    if (HasFatalFailure()) {
        return;
    }
    on_window([&] { core_->wait_cancel(); });
    ASSERT_TRUE(rig_.wait_idle(kOperationBound));
    EXPECT_FALSE(ui_.saw("report 0 0 正在发送第5个数据包..."));
    EXPECT_TRUE(sim_saw("command abort")) << dump();
    EXPECT_EQ(ui_.lines("buttons").back(), "buttons 11111");
}

TEST_F(CoreAgainstHandset, RenameAndDeleteWithRefusals) {
    write_file(store_ / "pic" / "abc.bmp", CoreRig::pattern(100));
    start();
    connect();
    ui_.set_selected_row(0);
    on_window([&] { core_->rename_command(); });
    EXPECT_TRUE(ui_.saw("edit 0 abc"));

    // In use: refused, the row shows the old name again.
    ASSERT_TRUE(sim_->control("in-use abc.bmp"));
    ui_.answer({BoxAnswer::Ok});
    on_window([&] {
        core_->rename_edit_begin(0);
        core_->rename_edit_end(0, std::string("new"));
    });
    ASSERT_TRUE(rig_.wait_idle(kOperationBound));
    EXPECT_TRUE(ui_.saw("box 确认 question 你确定要将\"abc.bmp\"改为\"new.bmp\"吗？ -> ok"));
    EXPECT_TRUE(ui_.saw("box 确认 error 该文件正在被使用！"));
    EXPECT_EQ(ui_.lines("row").back(), "row 0 abc.bmp");

    // A bad name is refused before anything is sent: one box, and the download name the user
    // typed stays as it was.
    on_window([&] { core_->download_name_changed("typed"); });
    ui_.clear_log();
    on_window([&] {
        core_->rename_command();
        core_->rename_edit_begin(0);
        core_->rename_edit_end(0, std::string("a_b-c"));
    });
    EXPECT_EQ(ui_.lines("box"),
              std::vector<std::string>{
                  "box 确认 error "
                  "请输入字母和数字组成的文件名!\n手机的文件名最多8个字符，只能用英文字母和数字"});
    EXPECT_TRUE(ui_.lines("name").empty()) << dump();
    EXPECT_EQ(read_state<std::string>([&] { return core_->download_name(); }), "typed");
    EXPECT_EQ(ui_.lines("row").back(), "row 0 abc.bmp");

    ASSERT_TRUE(sim_->control("release abc.bmp"));
    ui_.answer({BoxAnswer::Ok});
    on_window([&] {
        core_->rename_command();
        core_->rename_edit_begin(0);
        core_->rename_edit_end(0, std::string("new"));
    });
    ASSERT_TRUE(rig_.wait_idle(kOperationBound));
    EXPECT_TRUE(ui_.saw("status 重命名文件成功")) << dump();
    EXPECT_TRUE(fs::exists(store_ / "pic" / "new.bmp"));
    EXPECT_EQ(read_state<std::string>([&] { return core_->listing().table().entries()[0].text; }),
              "new.bmp^100");

    // Delete returns the allocation to the free space.
    const int64_t free_before = read_state<int64_t>([&] { return core_->listing().free_space(); });
    ui_.answer({BoxAnswer::Ok});
    run([](MainCore &c) { c.delete_command(); });
    EXPECT_TRUE(ui_.saw("box 确认 question 你确定要删除文件\"new.bmp\"吗？ -> ok"));
    EXPECT_TRUE(ui_.saw("status 删除文件成功"));
    EXPECT_EQ(read_state<int64_t>([&] { return core_->listing().free_space(); }),
              free_before + 512);
    EXPECT_FALSE(fs::exists(store_ / "pic" / "new.bmp"));
    EXPECT_TRUE(ui_.rows().empty());
}

TEST_F(CoreAgainstHandset, FormatAnsweredRefusedAndBlocked) {
    write_file(store_ / "pic" / "abc.bmp", CoreRig::pattern(100));
    start();
    connect();
    ASSERT_TRUE(sim_->control("format refuse"));
    ui_.answer({BoxAnswer::Ok});
    run([](MainCore &c) { c.format_command(); });
    EXPECT_TRUE(ui_.saw("box 确认 error 格式化失败！")) << dump();
    EXPECT_EQ(ui_.lines("buttons").back(), "buttons 11111");

    ASSERT_TRUE(sim_->control("format block"));
    ui_.answer({BoxAnswer::Ok});
    run([](MainCore &c) { c.format_command(); });
    EXPECT_TRUE(ui_.saw("box 确认 error 有文件正在被使用，请先在手机上取消其设置"));
    // Refused: nothing was restarted, so nothing was tried again.
    EXPECT_FALSE(ui_.saw("report 0 0 正在重启..."));
    EXPECT_EQ(ui_.rows().size(), 1u);
}

TEST_F(CoreAgainstHandset, FormatIsASuccessOnlyOnceTheHandsetListsAnEmptyStoreAgain) {
    const std::string done = "box 确认 info 格式化成功";
    write_file(store_ / "pic" / "abc.bmp", CoreRig::pattern(100));
    write_file(store_ / "melody" / "m.mid", CoreRig::pattern(600));
    start();
    connect();

    // The handset formats and restarts without answering: the success comes from the empty
    // listing after the restart, and the window is connected to it again.
    clear_sim_log();
    ui_.clear_log();
    ui_.answer({BoxAnswer::Ok});
    run([](MainCore &c) { c.format_command(); });
    EXPECT_TRUE(ui_.saw("report 0 2 格式化..."));
    EXPECT_TRUE(ui_.saw("report 0 0 正在重启..."));
    EXPECT_FALSE(ui_.lines("report 0 0 确认格式化：重新连接（第1次").empty()) << dump();
    EXPECT_TRUE(ui_.saw("report 0 0 确认格式化：读取手机文件..."));
    EXPECT_TRUE(ui_.saw(done)) << dump();
    EXPECT_TRUE(sim_saw("formatted; restarting"));
    EXPECT_TRUE(sim_saw("command list"));
    EXPECT_FALSE(fs::exists(store_ / "pic" / "abc.bmp"));
    EXPECT_TRUE(ui_.rows().empty());
    EXPECT_TRUE(values_.connected.load());
    EXPECT_EQ(ui_.lines("buttons").back(), "buttons 11111");
    EXPECT_EQ(ui_.lines("link").back(), "link    COM3已连接");
    EXPECT_EQ(read_state<int64_t>([&] { return core_->listing().free_space(); }),
              read_state<int64_t>([&] { return core_->listing().capacity(); }));
    ASSERT_FALSE(ui_.outcomes().empty());
    EXPECT_EQ(ui_.outcomes().back().operation, Operation::Format);
    EXPECT_TRUE(ui_.outcomes().back().succeeded);

    // A handset that ignores the command (no answer, nothing formatted) comes back with its
    // files: not a success, and the window shows the files it still has.
    write_file(store_ / "pic" / "abc.bmp", CoreRig::pattern(100));
    connect();
    ASSERT_EQ(ui_.rows().size(), 1u);
    ASSERT_TRUE(sim_->control("silent format"));
    ui_.clear_log();
    ui_.answer({BoxAnswer::Ok});
    run([](MainCore &c) { c.format_command(); });
    EXPECT_TRUE(ui_.saw("report 0 0 正在重启..."));
    EXPECT_TRUE(ui_.saw("box 确认 error 手机没有格式化：文件仍在手机上")) << dump();
    EXPECT_FALSE(ui_.saw(done));
    EXPECT_TRUE(fs::exists(store_ / "pic" / "abc.bmp"));
    ASSERT_EQ(ui_.rows().size(), 1u);
    EXPECT_EQ(ui_.rows()[0].name, "abc.bmp");
    EXPECT_TRUE(values_.connected.load());
    EXPECT_EQ(ui_.lines("buttons").back(), "buttons 11111");
    EXPECT_FALSE(ui_.outcomes().back().succeeded);
    EXPECT_EQ(ui_.outcomes().back().result, MessageId::FormatNotDone);

    // Not connected before: the format's own handshake, then the same check.
    ASSERT_TRUE(sim_->control("answer format"));
    run([](MainCore &c) { c.disconnect_command(); });
    ASSERT_FALSE(values_.connected.load());
    ui_.clear_log();
    ui_.answer({BoxAnswer::Ok});
    run([](MainCore &c) { c.format_command(); });
    EXPECT_TRUE(ui_.saw(done)) << dump();
    EXPECT_FALSE(fs::exists(store_ / "pic" / "abc.bmp"));
    EXPECT_TRUE(values_.connected.load());
    EXPECT_EQ(ui_.lines("buttons").back(), "buttons 11111");
}

TEST_F(CoreAgainstHandset, FormatOfAHandsetThatDoesNotComeBackEndsInTimeSayingWhatIsKnown) {
    const std::string unconfirmed =
        "格式化命令已发出，但手机没有确认。请重新连接手机，查看文件是否已清除";
    write_file(store_ / "pic" / "abc.bmp", CoreRig::pattern(100));
    start();
    connect();
    constexpr auto kReachLimit = 2500ms;
    // Past the limit: the try under way (the link's set-up and the reply wait, about 4 s) and the
    // tidy-up.
    constexpr auto kOvershoot = 6s;
    on_window([&] { core_->set_format_timing({100ms, kReachLimit}); });

    // The handset's line goes away while it restarts: every try fails at once, and the tries go
    // on, counted down, until the limit.
    ui_.on_report([&](const std::string &text) {
        if (text == "正在重启...") {
            rig_.stop_handset();
        }
    });
    ui_.clear_log();
    ui_.answer({BoxAnswer::Ok});
    auto began = std::chrono::steady_clock::now();
    run([](MainCore &c) { c.format_command(); });
    auto took = std::chrono::steady_clock::now() - began;
    ui_.on_report({});
    EXPECT_GE(took, kReachLimit);
    EXPECT_LT(took, kReachLimit + kOvershoot);
    EXPECT_GE(ui_.lines("report 0 0 确认格式化：重新连接（第").size(), 2u) << dump();
    EXPECT_TRUE(ui_.saw("box 确认 error " + unconfirmed)) << dump();
    // The failed opens of the tries are no boxes of their own.
    EXPECT_EQ(ui_.lines("box").size(), 2u) << dump();  // the question and the report
    EXPECT_FALSE(ui_.saw("box 确认 info 格式化成功"));
    EXPECT_FALSE(values_.connected.load());
    EXPECT_EQ(ui_.lines("buttons").back(), "buttons 10000");
    EXPECT_EQ(ui_.lines("link").back(), "link    COM3未连接");
    EXPECT_TRUE(ui_.rows().empty());
    EXPECT_EQ(ui_.outcomes().back().result, MessageId::FormatUnconfirmed);
    EXPECT_FALSE(ui_.outcomes().back().succeeded);

    // A handset that is there but never answers the handshake again: a try takes the link's
    // set-up and the reply wait, and the one under way when the limit passes is the last.
    std::string error;
    ASSERT_TRUE(rig_.start_handset(&error)) << error;
    sim_ = &rig_.sim();
    connect();
    ASSERT_TRUE(sim_->control("silent handshake"));
    ui_.clear_log();
    ui_.answer({BoxAnswer::Ok});
    began = std::chrono::steady_clock::now();
    run([](MainCore &c) { c.format_command(); });
    took = std::chrono::steady_clock::now() - began;
    EXPECT_LT(took, kReachLimit + kOvershoot);
    EXPECT_TRUE(ui_.saw("box 确认 error " + unconfirmed)) << dump();
    EXPECT_FALSE(values_.connected.load());
    EXPECT_EQ(ui_.lines("buttons").back(), "buttons 10000");
}

TEST_F(CoreAgainstHandset, CancelWhileTheFormatWaitsForTheHandsetEndsAtOnceUnconfirmed) {
    const std::string unconfirmed =
        "格式化命令已发出，但手机没有确认。请重新连接手机，查看文件是否已清除";
    write_file(store_ / "pic" / "abc.bmp", CoreRig::pattern(100));
    start();
    connect();
    // Waits far longer than the test: only the cancel can end them in time.
    on_window([&] { core_->set_format_timing({60s, 60s}); });
    const auto cancel_at = [&](const std::string &prefix) {
        ui_.on_report([this, prefix](const std::string &text) {
            if (text.rfind(prefix, 0) == 0) {
                core_->wait_cancel();  // the wait window's button, on the window thread
            }
        });
    };

    // During the restart wait.
    cancel_at("正在重启...");
    clear_sim_log();
    ui_.clear_log();
    ui_.answer({BoxAnswer::Ok});
    auto began = std::chrono::steady_clock::now();
    run([](MainCore &c) { c.format_command(); });
    EXPECT_LT(std::chrono::steady_clock::now() - began, 5s);
    // The user who cancelled gets no box; the status line keeps what is known.
    EXPECT_EQ(ui_.lines("status").back(), "status " + unconfirmed) << dump();
    EXPECT_FALSE(ui_.saw("box 确认 error " + unconfirmed));
    EXPECT_FALSE(ui_.saw("box 确认 info 格式化成功"));
    EXPECT_FALSE(sim_saw("command disconnect"));  // the handset restarts: nothing to tell it
    EXPECT_FALSE(values_.connected.load());
    EXPECT_EQ(ui_.lines("buttons").back(), "buttons 10000");
    EXPECT_TRUE(ui_.rows().empty());
    EXPECT_EQ(ui_.outcomes().back().result, MessageId::FormatUnconfirmed);

    // While it is being reached again.
    on_window([&] { core_->set_format_timing({100ms, 60s}); });
    connect();
    ASSERT_TRUE(sim_->control("silent handshake"));
    cancel_at("确认格式化：重新连接");
    ui_.clear_log();
    ui_.answer({BoxAnswer::Ok});
    began = std::chrono::steady_clock::now();
    run([](MainCore &c) { c.format_command(); });
    EXPECT_LT(std::chrono::steady_clock::now() - began, 5s);
    EXPECT_EQ(ui_.lines("status").back(), "status " + unconfirmed) << dump();
    EXPECT_FALSE(values_.connected.load());
    EXPECT_EQ(ui_.lines("buttons").back(), "buttons 10000");
    ui_.on_report({});

    // "Connect again to check" works: the next connect finds the handset as it is.
    ASSERT_TRUE(sim_->control("answer handshake"));
    connect();
    EXPECT_TRUE(ui_.rows().empty());
    EXPECT_EQ(ui_.lines("buttons").back(), "buttons 11111");
}

TEST_F(CoreAgainstHandset, FormatWhoseFrameFailsOnTheLineIsALinkErrorAndClearsNothing) {
    write_file(store_ / "pic" / "abc.bmp", CoreRig::pattern(100));
    start();
    connect();
    // The line stays up but refuses every frame, so the format's own frame fails on the link (a
    // pulled cable is noticed before any command, and ends the connection by itself).
    ASSERT_TRUE(sim_->control("nak-every 1"));
    ui_.clear_log();
    ui_.answer({BoxAnswer::Ok});
    run([](MainCore &c) { c.format_command(); });
    EXPECT_TRUE(ui_.saw("box 确认 error 未收到响应，检查连线")) << dump();
    EXPECT_FALSE(ui_.saw("report 0 0 正在重启..."));
    EXPECT_FALSE(ui_.saw("box 确认 info 格式化成功"));
    ASSERT_EQ(ui_.rows().size(), 1u);
    EXPECT_EQ(read_state<size_t>([&] { return core_->listing().table().entries().size(); }), 1u);
}

TEST_F(CoreAgainstHandset, UnconfirmedAfterDownloadActionsReadTheListingAgain) {
    write_file(store_ / "pic" / "a.bmp", CoreRig::pattern(100));
    start();
    connect();
    const int64_t free_before = read_state<int64_t>([&] { return core_->listing().free_space(); });
    ASSERT_TRUE(sim_->control("silent action"));
    ui_.set_converted(CoreRig::pattern(1536, 3));
    choose_pc_file("photo.jpg", FileType::Picture, "abc");
    const std::string success = "status 文件\"" + (pc_ / "photo.jpg").string() + "\"下载成功";

    // Keep without the handset's word: no success, no row, no space taken; the user is told the
    // handset may have it, and the listing is read again and shows what the handset has.
    ui_.clear_log();
    clear_sim_log();
    ui_.answer({BoxAnswer::Ok, BoxAnswer::Cancel, BoxAnswer::Ok});
    run([](MainCore &c) { c.download_command(); });
    EXPECT_TRUE(ui_.saw("box 确认 error 未收到手机的确认，操作可能已完成，请查看文件列表"))
        << dump();
    EXPECT_FALSE(ui_.saw(success));
    ASSERT_TRUE(ui_.wait_for("rows a.bmp:512")) << dump();
    EXPECT_TRUE(sim_saw("command list"));
    EXPECT_EQ(read_state<size_t>([&] { return core_->listing().table().entries().size(); }), 1u);
    EXPECT_EQ(read_state<int64_t>([&] { return core_->listing().free_space(); }), free_before);
    EXPECT_FALSE(ui_.saw("status 连接手机成功"));
    EXPECT_EQ(ui_.lines("buttons").back(), "buttons 11111");

    // Preview likewise: not reported as set, and nothing more is asked.
    ui_.clear_log();
    ui_.answer({BoxAnswer::Ok, BoxAnswer::Ok, BoxAnswer::Ok});
    run([](MainCore &c) { c.download_command(); });
    EXPECT_TRUE(ui_.saw("box 确认 error 未收到响应，检查连线")) << dump();
    EXPECT_FALSE(ui_.saw("report 0 0 已设置为预览"));
    EXPECT_FALSE(ui_.saw("box 确认 question 要保存文件吗? -> ok"));
    ASSERT_TRUE(ui_.wait_for("rows a.bmp:512")) << dump();
    EXPECT_FALSE(fs::exists(store_ / "pic" / "abc.bmp"));
}

TEST_F(CoreAgainstHandset, HandsetEventDuringADisconnectNeverHangsTheWindow) {
    start();
    connect();
    ui_.clear_log();
    // The event and a click arrive while the disconnect closes the link, after its last report:
    // the worker is about to ask the window thread for the buttons.
    on_window([&] {
        ui_.on_report([this](const std::string &text) {
            if (text == "已断开连接") {
                rig_.loop().post([this] {
                    core_->handset_message(event_record(records::kEventIncomingCall));
                    core_->connect_command();
                });
            }
        });
    });
    on_window([&] { core_->disconnect_command(); });
    ASSERT_TRUE(ui_.wait_for("box 确认 error 手机来电，中断操作！")) << dump();
    // The window thread keeps answering, and the command clicked meanwhile runs once the
    // disconnect has ended.
    ASSERT_TRUE(ui_.wait_for("status 连接手机成功", 30s)) << dump();
    on_window([&] { ui_.on_report(nullptr); });
    ASSERT_TRUE(rig_.wait_idle(kOperationBound));
    EXPECT_TRUE(values_.connected.load());
    EXPECT_EQ(ui_.lines("buttons").back(), "buttons 11111");
}

TEST_F(CoreAgainstHandset, AnotherDeviceBehindThePortEndsTheConnection) {
    write_file(store_ / "pic" / "a.bmp", CoreRig::pattern(100));
    start();
    // The device comes from the environment; the profile maps nothing.
    ::setenv("HANDLINK_COM3", rig_.link_path().c_str(), 1);
    rig_.profile().set_port_device(3, "");
    connect();

    // OK in the dialog with nothing changed, or the mapping set to the device the environment
    // names: the same handset, still connected.
    ui_.set_chosen_port(3);
    on_window([&] { core_->settings_command(); });
    ui_.set_chosen_port(3, [&] { rig_.profile().set_port_device(3, rig_.link_path()); });
    on_window([&] { core_->settings_command(); });
    EXPECT_TRUE(values_.connected.load());
    EXPECT_EQ(ui_.lines("buttons").back(), "buttons 11111");

    // The environment now names another device, and the dialog removes the mapping: the device
    // behind COM3 changes, so the connection ends.
    ::setenv("HANDLINK_COM3", (rig_.dir() / "other").c_str(), 1);
    ui_.set_chosen_port(3, [&] { rig_.profile().set_port_device(3, ""); });
    on_window([&] { core_->settings_command(); });
    ::unsetenv("HANDLINK_COM3");
    EXPECT_FALSE(values_.connected.load());
    EXPECT_EQ(ui_.lines("link").back(), "link    COM3未连接");
    EXPECT_EQ(ui_.lines("buttons").back(), "buttons 10000");
    EXPECT_TRUE(ui_.rows().empty());

    // Same number, another device mapped.
    ui_.set_chosen_port(3, [&] { rig_.profile().set_port_device(3, rig_.link_path()); });
    on_window([&] { core_->settings_command(); });
    connect();
    ui_.set_chosen_port(3, [&] { rig_.profile().set_port_device(3, "/dev/ttyUSB9"); });
    on_window([&] { core_->settings_command(); });
    EXPECT_FALSE(values_.connected.load());
    EXPECT_EQ(ui_.lines("buttons").back(), "buttons 10000");
}

TEST_F(CoreAgainstHandset, SettingsAndFormatAreRefusedWhileAnOperationRuns) {
    start_slow_download();
    if (HasFatalFailure()) {
        return;
    }
    ui_.clear_log();
    ui_.set_chosen_port(5);
    ui_.answer({BoxAnswer::Ok});
    on_window([&] {
        core_->format_command();
        core_->settings_command();
    });
    const std::string busy = std::string("box 确认 error ") + render(MessageId::Busy);
    EXPECT_EQ(ui_.lines("box"), (std::vector<std::string>{busy, busy}));
    EXPECT_TRUE(ui_.lines("choose port").empty());
    EXPECT_EQ(values_.com_port.load(), 3u);
    on_window([&] { core_->wait_cancel(); });
    ASSERT_TRUE(rig_.wait_idle(kOperationBound));
    EXPECT_FALSE(sim_saw("command format"));
}

TEST_F(CoreAgainstHandset, DisconnectFromASilentHandsetStillEndsNotConnected) {
    start();
    connect();
    ASSERT_TRUE(sim_->control("silent disconnect"));
    run([](MainCore &c) { c.disconnect_command(); });
    EXPECT_TRUE(ui_.saw("status 未收到响应，检查连线")) << dump();
    EXPECT_EQ(ui_.lines("link").back(), "link    COM3未连接");
    EXPECT_FALSE(values_.connected.load());
}

TEST_F(CoreAgainstHandset, StartsWithoutTheLibraryAndStaysUsable) {
    start();
    on_window([&] { core_->teardown(); });
    ui_.clear_log();
    MainCore bare(values_, ui_, ui_, rig_.loop(), rig_.profile(), &ui_);
    bool loaded = true;
    on_window([&] { loaded = bare.initialise((rig_.dir() / "nowhere").string()); });
    EXPECT_FALSE(loaded);
    EXPECT_EQ(ui_.lines("box"),
              std::vector<std::string>{"box 确认 error 加载libhandlink.so文件错误!"});
    EXPECT_TRUE(ui_.saw("panel 0"));
    EXPECT_EQ(ui_.lines("link").back(), "link    COM3未连接");
    on_window([&] { bare.connect_command(); });
    bare.wait_until_idle();
    EXPECT_TRUE(ui_.saw("box 错误 error Open com port error!"));
    on_window([&] { bare.teardown(); });
}

}  // namespace
}  // namespace zemlo::app
