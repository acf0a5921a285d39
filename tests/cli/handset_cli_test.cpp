// zemlo-cli's handset commands as a user runs them: the program itself, against the handset
// emulator on a pseudo-terminal, with its output and exit status.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <thread>

#include "cli_handset_fixture.h"
#include "file_bytes.h"
#include "handsim/emulator.h"
#include "sample_bitmap.h"
#include "wait_until.h"
#include "zemlo/handset_records.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using namespace zemlo::testing;

// A format-0 MIDI file: four notes.
std::vector<uint8_t> sample_midi() {
    std::vector<uint8_t> track;
    for (uint8_t note : {60, 64, 67, 72}) {
        for (uint8_t b : {uint8_t{0x00}, uint8_t{0x90}, note, uint8_t{0x60}, uint8_t{0x60},
                          uint8_t{0x80}, note, uint8_t{0x40}}) {
            track.push_back(b);
        }
    }
    for (uint8_t b : {0x00, 0xFF, 0x2F, 0x00}) {
        track.push_back(b);
    }
    std::vector<uint8_t> v{'M', 'T', 'h', 'd',  0,   0,   0,   6,   0, 0,
                           0,   1,   0,   0x60, 'M', 'T', 'r', 'k', 0, 0};
    v.push_back(static_cast<uint8_t>(track.size() >> 8));
    v.push_back(static_cast<uint8_t>(track.size()));
    v.insert(v.end(), track.begin(), track.end());
    return v;
}

class CliAgainstHandset : public CliHandsetFixture {
  protected:
    void SetUp() override {
        CliHandsetFixture::SetUp();
        // Open to other users: one case runs the program as one.
        fs::permissions(dir_, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                  fs::perms::others_read | fs::perms::others_exec);
    }

    void start() {
        start_handset([](handsim::EmulatorOptions &o) { o.restart_quiet = 300ms; });
    }

    // Runs zemlo-cli in the test folder with the arguments and the extra environment; wrapper
    // goes before the program (a user switch).
    ChildRun cli(const std::vector<std::string> &args, const std::vector<std::string> &env = {},
                 const std::vector<std::string> &wrapper = {}) {
        ChildPlan plan = cli_spec(args);
        plan.argv.insert(plan.argv.begin(), wrapper.begin(), wrapper.end());
        plan.env.insert(plan.env.end(), env.begin(), env.end());
        plan.dir = dir_;
        return run_child(std::move(plan));
    }
};

TEST_F(CliAgainstHandset, ListDownloadBothKindsAndListAgain) {
    write_file(store_ / "pic" / "a.bmp", std::vector<uint8_t>(100, 1));
    write_file(store_ / "melody" / "m.mid", std::vector<uint8_t>(513, 2));
    write_file(dir_ / "sunset.bmp", ramp_bitmap(40, 30));
    write_file(dir_ / "tune.mid", sample_midi());
    start();

    ChildRun r = cli(
        {"--device", link_.string(), "--trace", (dir_ / "trace.txt").string(), "list", "--json"});
    ASSERT_EQ(r.status, 0) << show(r);
    EXPECT_TRUE(has(r.out, "\"capacity\":432128,\"used\":1536,\"free\":430592")) << r.out;
    EXPECT_TRUE(has(r.out,
                    "\"pic\":{\"path\":\"a:\\\\pcdlw\\\\pic\",\"files\":[{\"name\":"
                    "\"a.bmp\",\"size\":100,\"allocated\":512}]}"))
        << r.out;
    EXPECT_TRUE(has(r.out, "{\"name\":\"m.mid\",\"size\":513,\"allocated\":1024}")) << r.out;
    EXPECT_EQ(r.out.find('\n'), r.out.size() - 1) << "one JSON document on one line";
    EXPECT_GT(fs::file_size(dir_ / "trace.txt"), 0u);

    // The picture, previewed and kept, named after the file; global options after the name.
    // Its progress as on a terminal (as the many-handsets runner has its workers show it): the
    // line ends with every packet sent, not one short.
    r = cli({"download", (dir_ / "sunset.bmp").string(), "--preview", device()},
            {"ZEMLO_CLI_WORKER=1"});
    ASSERT_EQ(r.status, 0) << show(r);
    EXPECT_TRUE(has(r.err, "\033[K数据包61/61  30748/30748字节  ")) << show(r);
    EXPECT_FALSE(has(r.err, "秒\n")) << show(r);
    EXPECT_TRUE(has(r.out, "下载成功")) << show(r);
    EXPECT_FALSE(has(r.out, "writing")) << "the converter's diagnostics are not results\n"
                                        << show(r);
    ASSERT_TRUE(fs::exists(store_ / "pic" / "sunset.bmp"));
    EXPECT_EQ(fs::file_size(store_ / "pic" / "sunset.bmp"), 30748u);
    EXPECT_TRUE(fs::exists(store_ / "view" / "pic" / "sunset.png"));

    // The melody under another name, then one that is not kept.
    // Its progress in English reads as it always has.
    r = cli({device(), "download", (dir_ / "tune.mid").string(), "--name", "Ring1"},
            {"ZEMLO_CLI_WORKER=1", "ZEMLO_LANG=en"});
    ASSERT_EQ(r.status, 0) << show(r);
    ASSERT_TRUE(fs::exists(store_ / "melody" / "Ring1.mid"));
    const auto tune_bytes = std::to_string(fs::file_size(store_ / "melody" / "Ring1.mid"));
    const auto tune_packets = std::to_string((std::stoul(tune_bytes) + 511) / 512);
    EXPECT_TRUE(has(r.err, "\033[Kpacket " + tune_packets + "/" + tune_packets + "  " + tune_bytes +
                               "/" + tune_bytes + " bytes  "))
        << show(r);
    EXPECT_FALSE(has(r.err, "s left\n")) << show(r);
    r = cli({device(), "download", (dir_ / "tune.mid").string(), "--discard"});
    ASSERT_EQ(r.status, 0) << show(r);
    EXPECT_TRUE(has(r.out, "未保存")) << show(r);
    EXPECT_FALSE(fs::exists(store_ / "melody" / "tune.mid"));

    r = cli({device(), "list"});
    ASSERT_EQ(r.status, 0) << show(r);
    EXPECT_TRUE(has(r.out, "sunset.bmp")) << r.out;
    EXPECT_TRUE(has(r.out, "Ring1.mid")) << r.out;
    EXPECT_TRUE(has(r.out, "a:\\pcdlw\\melody (2)")) << r.out;

    // A file name that is not UTF-8 is the file the user named.
    fs::copy_file(dir_ / "sunset.bmp", dir_ / "dusk\xff\xfe.bmp");
    r = cli({device(), "download", (dir_ / "dusk\xff\xfe.bmp").string(), "--name", "dusk"});
    ASSERT_EQ(r.status, 0) << show(r);
    EXPECT_TRUE(fs::exists(store_ / "pic" / "dusk.bmp"));

    // A handset file of the same name is replaced only when asked to: the window asks first, and
    // a script is refused with the reason (usage, 2) and the handset left as it was.
    write_file(dir_ / "dusk.bmp", ramp_bitmap(8, 8));  // not the picture kept as dusk
    const auto kept = read_file(store_ / "pic" / "dusk.bmp");
    r = cli({device(), "download", (dir_ / "dusk.bmp").string()});
    EXPECT_EQ(r.status, 2) << show(r);
    EXPECT_TRUE(has(r.err, "手机上已有 dusk.bmp：要替换它请用 --replace")) << show(r);
    EXPECT_EQ(read_file(store_ / "pic" / "dusk.bmp"), kept);
    // Under --json the refusal is a document on standard output, with the same status.
    r = cli({device(), "download", (dir_ / "dusk.bmp").string(), "--json"});
    EXPECT_EQ(r.status, 2) << show(r);
    EXPECT_TRUE(has(r.out,
                    "{\"error\":{\"kind\":\"usage\",\"exit_status\":2,\"message\":"
                    "\"手机上已有 dusk.bmp"))
        << show(r);
    r = cli({device(), "download", (dir_ / "dusk.bmp").string(), "--replace", "--json"});
    EXPECT_EQ(r.status, 0) << show(r);
    EXPECT_EQ(r.out, "{\"result\":\"ok\",\"file\":\"" + (dir_ / "dusk.bmp").string() +
                         "\",\"name\":\"dusk.bmp\",\"kept\":true}\n")
        << show(r);
    EXPECT_NE(read_file(store_ / "pic" / "dusk.bmp"), kept);

    // A conversion failure is the operation's failure.
    write_file(dir_ / "broken.bmp", {'B', 'M', 1, 2, 3});
    r = cli({device(), "download", (dir_ / "broken.bmp").string()});
    EXPECT_EQ(r.status, 1) << show(r);
    EXPECT_TRUE(has(r.err, "转换图形文件失败")) << show(r);
}

// Several files in one connection: each stored exactly as the conversion alone writes it, with
// the user's picture choice and the name made from its file; clashing names refused before
// anything is sent; a folder at its limit stops the rest, and the summary says which arrived.
TEST_F(CliAgainstHandset, ManyFilesInOneGoAsChosenAndStoppedByAFullFolder) {
    write_file(dir_ / "sunset.bmp", ramp_bitmap(40, 30));
    write_file(dir_ / "my_wide_pic.bmp", ramp_bitmap(64, 48));
    write_file(dir_ / "tune.mid", sample_midi());
    fs::create_directories(dir_ / "other");
    write_file(dir_ / "other" / "SUNSET.bmp", ramp_bitmap(20, 20));
    start();

    // The same handset name twice, whatever its case: nothing is sent.
    ChildRun r = cli({device(), "download", (dir_ / "sunset.bmp").string(),
                      (dir_ / "other" / "SUNSET.bmp").string()});
    EXPECT_EQ(r.status, 2) << show(r);
    EXPECT_TRUE(has(r.err, "在手机上都会成为 SUNSET.bmp")) << show(r);
    EXPECT_TRUE(fs::is_empty(store_ / "pic"));

    const std::vector<std::string> choice = {"--effect", "cover", "--crop", "8,4,30,20",
                                             "--dither"};
    std::vector<std::string> args = {device(),
                                     "download",
                                     (dir_ / "sunset.bmp").string(),
                                     (dir_ / "tune.mid").string(),
                                     (dir_ / "my_wide_pic.bmp").string(),
                                     "--name-from-file",
                                     "--json"};
    args.insert(args.end(), choice.begin(), choice.end());
    r = cli(args);
    ASSERT_EQ(r.status, 0) << show(r);
    EXPECT_TRUE(has(r.out, "\"arrived\":3,\"total\":3")) << r.out;
    EXPECT_TRUE(has(r.out, "\"name\":\"mywide.bmp\"")) << r.out;
    EXPECT_EQ(r.out.find('\n'), r.out.size() - 1) << "one JSON document on one line";
    for (const auto &[source, stored] :
         {std::pair{"sunset.bmp", "sunset.bmp"}, std::pair{"my_wide_pic.bmp", "mywide.bmp"}}) {
        std::vector<std::string> convert = {"convert", "picture", (dir_ / source).string(),
                                            (dir_ / "alone.dwn").string()};
        convert.insert(convert.end(), choice.begin(), choice.end());
        ASSERT_EQ(cli(convert).status, 0) << source;
        EXPECT_TRUE(read_file(store_ / "pic" / stored) == read_file(dir_ / "alone.dwn")) << source;
    }
    ASSERT_EQ(
        cli({"convert", "melody", (dir_ / "tune.mid").string(), (dir_ / "alone.mid").string()})
            .status,
        0);
    EXPECT_TRUE(read_file(store_ / "melody" / "tune.mid") == read_file(dir_ / "alone.mid"));

    // Seven pictures more make ten, the folder's limit: of three, the first arrives, the second
    // is refused with the reason and the third is not sent.
    for (int i = 0; i < 7; ++i) {
        write_file(store_ / "pic" / ("p" + std::to_string(i) + ".bmp"),
                   std::vector<uint8_t>(100, 1));
    }
    for (const char *name : {"a.bmp", "b.bmp", "c.bmp"}) {
        write_file(dir_ / name, ramp_bitmap(10, 10));
    }
    r = cli({device(), "download", (dir_ / "a.bmp").string(), (dir_ / "b.bmp").string(),
             (dir_ / "c.bmp").string()});
    EXPECT_EQ(r.status, 1) << show(r);
    EXPECT_TRUE(has(r.out, "[1/3]")) << r.out;
    EXPECT_TRUE(has(r.out, "[2/3] " + (dir_ / "b.bmp").string() + " -> b.bmp: 已超过可下载文件数"))
        << r.out;
    EXPECT_TRUE(has(r.out, "[3/3] " + (dir_ / "c.bmp").string() + " -> c.bmp: 未发送：已超过"))
        << r.out;
    EXPECT_TRUE(fs::exists(store_ / "pic" / "a.bmp"));
    EXPECT_FALSE(fs::exists(store_ / "pic" / "b.bmp"));
    EXPECT_FALSE(fs::exists(store_ / "pic" / "c.bmp"));
}

TEST_F(CliAgainstHandset, RenameDeleteAndFormatWithTheHandsetsRefusals) {
    write_file(store_ / "pic" / "abc.bmp", std::vector<uint8_t>(100, 1));
    write_file(store_ / "melody" / "m.mid", std::vector<uint8_t>(600, 2));
    start();

    ASSERT_TRUE(sim_->control("in-use abc.bmp"));
    ChildRun r = cli({device(), "rename", "pic", "abc", "new"});
    EXPECT_EQ(r.status, 1) << show(r);
    EXPECT_TRUE(has(r.err, "该文件正在被使用！")) << show(r);
    ASSERT_TRUE(sim_->control("release abc.bmp"));

    // Onto a name the handset already has: refused, and the reason under the refusal.
    write_file(store_ / "pic" / "taken.bmp", std::vector<uint8_t>(100, 3));
    r = cli({device(), "rename", "pic", "abc", "taken"});
    EXPECT_EQ(r.status, 1) << show(r);
    EXPECT_TRUE(has(r.err, "重命名文件失败！\n手机上已有名为\"taken.bmp\"的文件")) << show(r);
    EXPECT_TRUE(fs::exists(store_ / "pic" / "abc.bmp"));

    r = cli({device(), "rename", "pic", "abc.bmp", "new"});
    ASSERT_EQ(r.status, 0) << show(r);
    EXPECT_TRUE(has(r.out, "重命名文件成功")) << show(r);
    EXPECT_TRUE(fs::exists(store_ / "pic" / "new.bmp"));

    r = cli({device(), "delete", "pic", "abc"});
    EXPECT_EQ(r.status, 1) << show(r);
    EXPECT_TRUE(has(r.err, "abc.bmp：a:\\pcdlw\\pic里没有这个文件")) << show(r);

    r = cli({device(), "delete", "melody", "m.mid"});
    ASSERT_EQ(r.status, 0) << show(r);
    EXPECT_TRUE(has(r.out, "删除文件成功")) << show(r);
    EXPECT_FALSE(fs::exists(store_ / "melody" / "m.mid"));

    ASSERT_TRUE(sim_->control("format refuse"));
    r = cli({device(), "format", "--yes"});
    EXPECT_EQ(r.status, 1) << show(r);
    EXPECT_TRUE(has(r.err, "格式化失败！")) << show(r);
    ASSERT_TRUE(sim_->control("format ok"));
    r = cli({device(), "format", "--yes"});
    ASSERT_EQ(r.status, 0) << show(r);
    EXPECT_TRUE(has(r.out, "格式化成功")) << show(r);
    EXPECT_FALSE(fs::exists(store_ / "pic" / "new.bmp"));
}

// Under --json every command that reports gives one document on standard output, success or
// failure, and the status it gives without --json; the operations' texts stay on standard error.
TEST_F(CliAgainstHandset, FileCommandsAndPortsUnderJsonGiveOneDocumentEitherWay) {
    write_file(store_ / "pic" / "abc.bmp", std::vector<uint8_t>(100, 1));
    write_file(store_ / "melody" / "m.mid", std::vector<uint8_t>(600, 2));
    start();
    const auto failure = [](const char *kind, int status, const std::string &message) {
        return std::string("{\"error\":{\"kind\":\"") + kind +
               "\",\"exit_status\":" + std::to_string(status) + ",\"message\":\"" + message;
    };

    ASSERT_TRUE(sim_->control("in-use abc.bmp"));
    ChildRun r = cli({device(), "rename", "pic", "abc", "new", "--json"});
    EXPECT_EQ(r.status, 1) << show(r);
    EXPECT_TRUE(has(r.out, failure("failed", 1, "该文件正在被使用！"))) << show(r);
    ASSERT_TRUE(sim_->control("release abc.bmp"));
    r = cli({device(), "rename", "pic", "abc.bmp", "new", "--json"});
    ASSERT_EQ(r.status, 0) << show(r);
    EXPECT_EQ(r.out,
              "{\"result\":\"ok\",\"folder\":\"a:\\\\pcdlw\\\\pic\",\"old\":\"abc.bmp\","
              "\"new\":\"new.bmp\"}\n")
        << show(r);
    EXPECT_TRUE(fs::exists(store_ / "pic" / "new.bmp"));

    r = cli({device(), "delete", "pic", "abc", "--json"});
    EXPECT_EQ(r.status, 1) << show(r);
    EXPECT_TRUE(has(r.out, failure("failed", 1, "abc.bmp：a:\\\\pcdlw\\\\pic里没有这个文件")))
        << show(r);
    EXPECT_EQ(r.out.find('\n'), r.out.size() - 1) << "one JSON document on one line";
    // The command line's own texts follow the language as the core's do; English as it was.
    r = cli({device(), "delete", "pic", "abc"}, {"ZEMLO_LANG=en"});
    EXPECT_EQ(r.status, 1) << show(r);
    EXPECT_TRUE(has(r.err, "zemlo-cli: abc.bmp: no such file in a:\\pcdlw\\pic\n")) << show(r);
    r = cli({device(), "list"});
    EXPECT_TRUE(has(r.out, "\n容量432128字节，已用1536字节，可用430592字节\n")) << show(r);
    r = cli({device(), "list"}, {"ZEMLO_LANG=en"});
    EXPECT_TRUE(has(r.out, "\ncapacity 432128 bytes, used 1536, free 430592\n")) << show(r);
    r = cli({device(), "delete", "melody", "m", "--json"});
    ASSERT_EQ(r.status, 0) << show(r);
    EXPECT_EQ(r.out,
              "{\"result\":\"ok\",\"folder\":\"a:\\\\pcdlw\\\\melody\",\"deleted\":\"m.mid\"}\n")
        << show(r);
    EXPECT_FALSE(fs::exists(store_ / "melody" / "m.mid"));

    ASSERT_TRUE(sim_->control("format refuse"));
    r = cli({device(), "format", "--yes", "--json"});
    EXPECT_EQ(r.status, 1) << show(r);
    EXPECT_TRUE(has(r.out, failure("failed", 1, "格式化失败！"))) << show(r);
    ASSERT_TRUE(sim_->control("format ok"));
    r = cli({device(), "format", "--yes", "--json"});
    ASSERT_EQ(r.status, 0) << show(r);
    EXPECT_EQ(r.out, "{\"result\":\"ok\",\"formatted\":true}\n") << show(r);
    EXPECT_TRUE(has(r.err, "格式化成功")) << show(r);
    EXPECT_FALSE(fs::exists(store_ / "pic" / "new.bmp"));

    // A port that cannot be opened: the port's kind and status, for every one of them.
    const std::string absent = "--device=" + (dir_ / "absent").string();
    for (const std::vector<std::string> &args :
         {std::vector<std::string>{absent, "rename", "pic", "a", "b", "--json"},
          {absent, "delete", "pic", "a", "--json"},
          {absent, "format", "--yes", "--json"}}) {
        r = cli(args);
        EXPECT_EQ(r.status, 3) << args[1] << "\n" << show(r);
        EXPECT_TRUE(has(r.out, failure("port", 3, ""))) << args[1] << "\n" << show(r);
    }

    // ports: the devices as data, a missing mapped one included.
    r = cli({"ports", "--json"},
            {"HANDLINK_COM5=" + link_.string(), "HANDLINK_COM7=" + (dir_ / "gone").string()});
    ASSERT_EQ(r.status, 0) << show(r);
    EXPECT_TRUE(
        has(r.out, "{\"path\":\"" + link_.string() + "\",\"com_ports\":[5],\"exists\":true"))
        << r.out;
    EXPECT_TRUE(has(
        r.out, "{\"path\":\"" + (dir_ / "gone").string() + "\",\"com_ports\":[7],\"exists\":false"))
        << r.out;
    EXPECT_EQ(r.out.find('\n'), r.out.size() - 1) << "one JSON document on one line";
    EXPECT_EQ(r.out.front(), '{') << r.out;
}

// Only the empty listing after the restart is a format: a handset that ignores the command, or a
// run stopped while the handset restarts, is a failure that says what is known.
TEST_F(CliAgainstHandset, FormatExitsZeroOnlyWhenTheEmptyStoreWasSeen) {
    write_file(store_ / "pic" / "abc.bmp", std::vector<uint8_t>(100, 1));
    start();

    ASSERT_TRUE(sim_->control("silent format"));
    ChildRun r = cli({device(), "format", "--yes"});
    EXPECT_EQ(r.status, 1) << show(r);
    EXPECT_TRUE(has(r.err, "手机没有格式化：文件仍在手机上")) << show(r);
    EXPECT_FALSE(has(r.out, "格式化成功")) << show(r);
    EXPECT_TRUE(fs::exists(store_ / "pic" / "abc.bmp"));
    ASSERT_TRUE(sim_->control("answer format"));

    // Ctrl-C once the handset has taken the command and restarts.
    const uint64_t restarts = sim_->stats().restarts;
    ChildPlan plan = cli_spec({device(), "format", "--yes"});
    plan.dir = dir_;
    Child child(std::move(plan));
    ASSERT_GT(child.pid(), 0);
    ASSERT_TRUE(wait_until([&] { return sim_->stats().restarts > restarts; }, 30s));
    child.kill(SIGINT);
    r = child.finish();
    EXPECT_EQ(r.status, 1) << show(r);
    EXPECT_TRUE(has(r.err, "格式化命令已发出，但手机没有确认。请重新连接手机，查看文件是否已清除"))
        << show(r);
    EXPECT_FALSE(has(r.out, "格式化成功")) << show(r);
}

TEST_F(CliAgainstHandset, HandsetEventsAndSilenceAreFailures) {
    write_file(dir_ / "wide.bmp", ramp_bitmap(64, 48));
    start();
    // A call comes in during the transfer: the download stops and nothing is stored.
    ASSERT_TRUE(sim_->control("event 1 after 5"));
    ChildRun r = cli({device(), "download", (dir_ / "wide.bmp").string(), "--effect", "stretch"});
    EXPECT_EQ(r.status, 1) << show(r);
    EXPECT_TRUE(has(r.err, "手机来电，中断操作！")) << show(r);
    EXPECT_FALSE(has(r.out, "下载成功")) << show(r);
    EXPECT_FALSE(fs::exists(store_ / "pic" / "wide.bmp"));

    // Among several files, the call stops the rest: the summary says none arrived and why.
    fs::copy_file(dir_ / "wide.bmp", dir_ / "next.bmp");
    ASSERT_TRUE(sim_->control("event 1 after 5"));
    r = cli({device(), "download", (dir_ / "wide.bmp").string(), (dir_ / "next.bmp").string(),
             "--json"});
    EXPECT_EQ(r.status, 1) << show(r);
    EXPECT_TRUE(has(r.out, "\"arrived\":0,\"total\":2")) << r.out;
    EXPECT_TRUE(has(r.out, "\"sent\":false,\"result\":\"未发送：手机来电，中断操作！\"")) << r.out;
    EXPECT_TRUE(fs::is_empty(store_ / "pic"));

    // A handset that does not answer the handshake.
    ASSERT_TRUE(sim_->control("silent handshake"));
    r = cli({device(), "list", "--json"});
    EXPECT_EQ(r.status, 1) << show(r);
    EXPECT_TRUE(has(r.err, "手机通信错误！\n请检查：数据线已接好，手机已开机并处于数据模式"))
        << show(r);
    EXPECT_TRUE(has(r.err, "zemlo-cli ports --probe")) << show(r);
    // --json: the failure as a document, its kind and message, the status kept.
    EXPECT_EQ(
        r.out,
        "{\"error\":{\"kind\":\"failed\",\"exit_status\":1,\"message\":\"手机通信错误！\\u000a"
        "请检查：数据线已接好，手机已开机并处于数据模式，选择的端口正确\"}}\n")
        << show(r);
}

TEST_F(CliAgainstHandset, UsageErrorsAreRefusedBeforeTheHandsetIsTouched) {
    write_file(dir_ / "my_pic.bmp", ramp_bitmap(4, 4));
    write_file(dir_ / "verylongname.bmp", ramp_bitmap(4, 4));
    write_file(dir_ / "notes.txt", {'x'});
    ASSERT_EQ(::mkfifo((dir_ / "pipe.jpg").c_str(), 0600), 0);
    struct Case {
        std::vector<std::string> args;
        std::string says;
    };
    const std::vector<Case> cases = {
        {{"download", (dir_ / "my_pic.bmp").string()}, "请输入字母和数字组成的文件名!"},
        {{"download", (dir_ / "verylongname.bmp").string()}, "文件名太长!"},
        {{"download", (dir_ / "my_pic.bmp").string(), "--name", "ok", "--effect", "zoom"},
         "--effect 只能是"},
        {{"download", (dir_ / "my_pic.bmp").string(), (dir_ / "my_pic.bmp").string(), "--name",
          "ok"},
         "--name 只能给单个文件命名"},
        {{"download", (dir_ / "my_pic.bmp").string(), "--name", "ok", "--fit"},
         "--fit 只适用于铃声"},
        {{"download", (dir_ / "notes.txt").string()}, "请用 --type 指定"},
        {{"download", (dir_ / "absent.bmp").string()}, "absent.bmp：没有这个文件"},
        {{"download", (dir_ / "pipe.jpg").string()}, "pipe.jpg：不是普通文件"},
        {{"download", "/dev/zero", "--type", "picture"}, "/dev/zero：不是普通文件"},
        {{"rename", "pic", "a", "b.c"}, "请输入字母和数字组成的文件名!"},
        {{"delete", "video", "a"}, "pic 或 melody"},
        {{"format"}, "--yes"},
        {{"--device", "COM3", "list"}, "--device /dev/ttyS2"},
        {{"--device", "COM4:", "list"}, "是 Windows 的端口名"},
        {{"--port", "0", "list"}, "--port 要用1到255的COM编号"},
        {{"list", "--bogus"}, "没有 --bogus 这个选项"},
    };
    for (const auto &c : cases) {
        const ChildRun r = cli(c.args);
        EXPECT_EQ(r.status, 2) << c.args[0] << " " << c.args.back() << "\n" << show(r);
        EXPECT_TRUE(has(r.err, c.says)) << c.says << "\n" << show(r);
    }
}

TEST_F(CliAgainstHandset, WhatNeedsNoHandsetIsCheckedBeforeTheConnection) {
    // The port is missing: a check made after connecting would end with the port's 3.
    const std::string absent = "--device=" + (dir_ / "absent").string();
    write_file(dir_ / "fake.jpg", {'t', 'e', 'x', 't'});
    // A first track without its end-of-track event merges into a melody without a note.
    write_file(dir_ / "noend.mid", {'M',  'T', 'h', 'd', 0,   0, 0, 6, 0, 1, 0,    1,    1,
                                    0xE0, 'M', 'T', 'r', 'k', 0, 0, 0, 4, 0, 0x90, 0x3C, 0x40});
    ChildRun r = cli({absent, "download", (dir_ / "fake.jpg").string()});
    EXPECT_EQ(r.status, 1) << show(r);
    EXPECT_TRUE(has(r.err, "转换图形文件失败")) << show(r);
    EXPECT_FALSE(has(r.err, "不能打开COM端口")) << show(r);
    r = cli({absent, "download", (dir_ / "noend.mid").string(), "--json"});
    EXPECT_EQ(r.status, 1) << show(r);
    EXPECT_TRUE(has(r.err, "转换后的旋律没有任何音符")) << show(r);
    EXPECT_TRUE(has(r.out, "{\"error\":{\"kind\":\"failed\"")) << show(r);
    EXPECT_FALSE(has(r.err, "不能打开COM端口")) << show(r);
}

// Every file in the store with its bytes: what a dry run must leave exactly as it was.
std::map<std::string, std::string> store_bytes(const fs::path &store) {
    std::map<std::string, std::string> out;
    for (const auto &e : fs::recursive_directory_iterator(store)) {
        if (e.is_regular_file()) {
            out[e.path().string()] = read_file(e.path());
        }
    }
    return out;
}

// A dry run connects and lists, sends nothing, and says per file what the download would do with
// the handset as it is, each file counting for the next; its status is the download's own. It says
// so in the user's language: English as it always has, Chinese at a Chinese terminal.
TEST_F(CliAgainstHandset, DryRunSaysWhatWouldHappenAndChangesNothing) {
    write_file(store_ / "pic" / "dusk.bmp", std::vector<uint8_t>(100, 1));  // 512 allocated
    for (int i = 0; i < 8; ++i) {
        write_file(store_ / "pic" / ("p" + std::to_string(i) + ".bmp"),
                   std::vector<uint8_t>(100, 1));
    }
    for (const char *name : {"dusk.bmp", "one.bmp", "two.bmp"}) {
        write_file(dir_ / name, ramp_bitmap(40, 30));
    }
    write_file(dir_ / "tune.mid", sample_midi());
    ASSERT_EQ(
        cli({"convert", "melody", (dir_ / "tune.mid").string(), (dir_ / "alone.mid").string()})
            .status,
        0);
    const auto melody = static_cast<int64_t>(fs::file_size(dir_ / "alone.mid"));
    start();
    const auto before = store_bytes(store_);
    const auto alloc = [](int64_t n) {
        return static_cast<int64_t>(zemlo::records::allocation_size(static_cast<uint64_t>(n)));
    };
    const int64_t free0 = 432128 - 9 * 512;
    const std::string dusk = (dir_ / "dusk.bmp").string();
    const std::string one = (dir_ / "one.bmp").string();
    const std::string two = (dir_ / "two.bmp").string();
    const std::string tune = (dir_ / "tune.mid").string();

    // It goes through: the same name replaced, then the folder's tenth picture, then a melody.
    ChildRun r =
        cli({device(), "download", dusk, one, tune, "--replace", "--dry-run"}, {"ZEMLO_LANG=en"});
    ASSERT_EQ(r.status, 0) << show(r);
    const int64_t free1 = free0 + 512 - alloc(30748);
    const int64_t free2 = free1 - alloc(30748);
    const int64_t free3 = free2 - alloc(melody);
    EXPECT_TRUE(has(r.out, "[1/3] " + dusk + " -> dusk.bmp: would send 30748 bytes (" +
                               std::to_string(alloc(30748)) +
                               " on the handset), would replace dusk.bmp, " +
                               std::to_string(free1) + " bytes free after\n"))
        << show(r);
    EXPECT_TRUE(has(r.out, "[2/3] " + one + " -> one.bmp: would send 30748 bytes (" +
                               std::to_string(alloc(30748)) + " on the handset), " +
                               std::to_string(free2) + " bytes free after\n"))
        << show(r);
    EXPECT_TRUE(has(
        r.out, "[3/3] " + tune + " -> tune.mid: would send " + std::to_string(melody) + " bytes"))
        << show(r);
    EXPECT_TRUE(has(r.out, "dry run: nothing was sent; " + std::to_string(free0) +
                               " bytes free now, " + std::to_string(free3) + " after\n"))
        << show(r);
    EXPECT_EQ(store_bytes(store_), before);
    r = cli({device(), "download", dusk, one, tune, "--replace", "--dry-run"},
            {"LANG=zh_CN.UTF-8"});
    ASSERT_EQ(r.status, 0) << show(r);
    EXPECT_TRUE(has(r.out, "[1/3] " + dusk + " -> dusk.bmp: 会发送30748字节（在手机上占" +
                               std::to_string(alloc(30748)) + "字节），会替换dusk.bmp，之后可用" +
                               std::to_string(free1) + "字节\n"))
        << show(r);
    EXPECT_TRUE(has(r.out, "[2/3] " + one + " -> one.bmp: 会发送30748字节（在手机上占" +
                               std::to_string(alloc(30748)) + "字节），之后可用" +
                               std::to_string(free2) + "字节\n"))
        << show(r);
    EXPECT_TRUE(has(r.out, "试运行：没有发送任何数据；现在可用" + std::to_string(free0) +
                               "字节，之后可用" + std::to_string(free3) + "字节\n"))
        << show(r);
    EXPECT_FALSE(has(r.out, "would")) << show(r);
    EXPECT_EQ(store_bytes(store_), before);

    // An eleventh picture: refused as the download would refuse it, and the rest not sent.
    r = cli({device(), "download", one, two, tune, "--dry-run", "--json"});
    EXPECT_EQ(r.status, 1) << show(r);
    EXPECT_TRUE(has(r.out, "{\"dry_run\":true,\"files\":[{\"file\":\"" + one +
                               "\",\"name\":\"one.bmp\",\"type\":\"picture\",\"size\":30748"))
        << show(r);
    EXPECT_TRUE(has(r.out, "\"name\":\"two.bmp\",\"type\":\"picture\",\"size\":30748,\"takes\":" +
                               std::to_string(alloc(30748)) +
                               ",\"replaces\":false,\"would_arrive\":false"))
        << show(r);
    EXPECT_TRUE(has(r.out, "\"result\":\"会被拒绝：已超过可下载文件数")) << show(r);
    EXPECT_TRUE(has(r.out, "\"result\":\"不会发送：已超过可下载文件数")) << show(r);
    EXPECT_TRUE(has(r.out, "\"would_arrive\":1,\"total\":3,\"free\":" + std::to_string(free0) +
                               ",\"free_after\":" + std::to_string(free0 - alloc(30748)) +
                               ",\"exit_status\":1}\n"))
        << show(r);
    EXPECT_EQ(r.out.find('\n'), r.out.size() - 1) << "one JSON document on one line";

    // Replacing without --replace is the download's refusal, with its status.
    r = cli({device(), "download", dusk, "--dry-run"});
    EXPECT_EQ(r.status, 2) << show(r);
    EXPECT_TRUE(has(r.err, "手机上已有 dusk.bmp：要替换它请用 --replace")) << show(r);
    r = cli({device(), "download", dusk, "--dry-run"}, {"ZEMLO_LANG=en"});
    EXPECT_EQ(r.status, 2) << show(r);
    EXPECT_TRUE(has(r.err, "dusk.bmp is already on the handset: give --replace")) << show(r);
    EXPECT_EQ(store_bytes(store_), before);
}

TEST_F(CliAgainstHandset, PortThatCannotBeOpenedSaysWhyAndExitsThree) {
    ChildRun r = cli({"--device", (dir_ / "absent").string(), "list"});
    EXPECT_EQ(r.status, 3) << show(r);
    EXPECT_TRUE(has(r.err, "不能打开COM端口")) << show(r);
    EXPECT_TRUE(has(r.err, "原因：没有这个设备：" + (dir_ / "absent").string())) << show(r);

    // A socket is said to be one, not a missing device; a path with controls is shown escaped.
    const int sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(sock, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    const std::string sock_path = (dir_ / "sock").string();
    std::snprintf(addr.sun_path, sizeof addr.sun_path, "%s", sock_path.c_str());
    ASSERT_EQ(::bind(sock, reinterpret_cast<sockaddr *>(&addr), sizeof addr), 0);
    r = cli({"--device", sock_path, "list"});
    ::close(sock);
    EXPECT_EQ(r.status, 3) << show(r);
    EXPECT_TRUE(has(r.err, sock_path + " 是套接字，不是串口设备")) << show(r);
    r = cli({"--device", (dir_ / "tty\x1b[2J\nfake").string(), "list"});
    EXPECT_EQ(r.status, 3) << show(r);
    EXPECT_TRUE(has(r.err, "没有这个设备：" + (dir_ / "tty\\x1b[2J\\x0afake").string())) << show(r);
    EXPECT_FALSE(has(r.err, "\x1b")) << show(r);

    // A device the user may not open: the emulator's terminal, as an unprivileged user.
    if (::geteuid() != 0 || ::access("/usr/bin/setpriv", X_OK) != 0) {
        GTEST_SKIP() << "needs root to run the program as another user";
    }
    const std::vector<std::string> as_nobody = {"/usr/bin/setpriv", "--reuid=nobody",
                                                "--regid=nogroup", "--clear-groups"};
    // A checkout under a folder closed to others (root's home, any 0700 folder) keeps the
    // program out of that user's reach: nothing to learn about the device then.
    r = cli({"--version"}, {"HOME=/nonexistent"}, as_nobody);
    if (r.status != 0) {
        GTEST_SKIP() << "nobody cannot run " << (bin_ / "zemlo-cli").string()
                     << " from here (a folder above it is closed to others)\n"
                     << show(r);
    }
    start();
    r = cli({"--device", link_.string(), "list"}, {"HOME=/nonexistent", "ZEMLO_LANG=en"},
            as_nobody);
    EXPECT_EQ(r.status, 3) << show(r);
    EXPECT_TRUE(has(r.err, "permission denied")) << show(r);
    EXPECT_TRUE(has(r.err, "sudo usermod -aG")) << show(r);
}

TEST_F(CliAgainstHandset, HelpNamesEveryOptionAndLimitAndEveryProgramTellsItsVersion) {
    // What a newcomer needs before the first download: every global option and the handset's
    // limits, without the window's help page (the Chinese help is held to the same in its own
    // test).
    const ChildRun help = cli({"--help"}, {"ZEMLO_LANG=en"});
    EXPECT_EQ(help.status, 0) << show(help);
    for (const char *part : {"--deadline SECONDS", "--trace FILE", "--replace", "--version",
                             "at most 8 characters, ASCII letters and digits", "51200 bytes",
                             "20 in the folder", "10 in the folder", "30748 bytes"}) {
        EXPECT_TRUE(has(help.out, part)) << part << "\n" << help.out;
    }

    // GNU's convention: the name, the version, exit 0, whatever else the line holds, and no
    // display or handset needed.
    for (const char *program : {"zemlo-cli", "handsim", "zemlo"}) {
        ChildPlan plan = cli_spec({});
        plan.argv = {(bin_ / program).string(), "--version"};
        plan.env.insert(plan.env.end(), {"DISPLAY", "WAYLAND_DISPLAY"});
        if (!fs::exists(plan.argv[0])) {
            continue;  // the window is not built without its toolkit
        }
        const ChildRun r = run_child(std::move(plan));
        EXPECT_EQ(r.status, 0) << show(r);
        EXPECT_EQ(r.out, std::string(program) + " " + ZEMLO_VERSION + "\n") << show(r);
    }
}

TEST_F(CliAgainstHandset, ProbeFindsTheHandsetAmongOtherDevices) {
    start();
    // A terminal nobody answers on, and a mapped device that is missing.
    const int silent = ::posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(silent, 0);
    ASSERT_EQ(::grantpt(silent), 0);
    ASSERT_EQ(::unlockpt(silent), 0);
    const std::string silent_path = ::ptsname(silent);
    const std::vector<std::string> env = {"HANDLINK_COM5=" + link_.string(),
                                          "HANDLINK_COM6=" + silent_path,
                                          "HANDLINK_COM7=" + (dir_ / "gone").string()};
    const ChildRun r = cli({"ports", "--probe"}, env);
    ::close(silent);
    ASSERT_EQ(r.status, 0) << show(r);
    EXPECT_TRUE(has(r.out, link_.string() + "  COM5")) << r.out;
    EXPECT_TRUE(has(r.out, "在 " + link_.string() + " 上找到手机：请用 --device " + link_.string() +
                               " 或 --port 5\n"))
        << r.out;
    EXPECT_TRUE(has(r.out, silent_path + "  COM6")) << r.out;
    EXPECT_TRUE(has(r.out, "    探测：没有应答\n")) << r.out;
    EXPECT_TRUE(has(r.out, "（不存在）")) << r.out;
    // Only the emulator answers.
    EXPECT_EQ(r.out.find("上找到手机"), r.out.rfind("上找到手机")) << r.out;

    // The port the handset commands would use names nothing: said at once, with the way out.
    std::vector<std::string> english = env;
    english.push_back("ZEMLO_LANG=en");
    const ChildRun gone = cli({"--port", "7", "ports"}, english);
    EXPECT_EQ(gone.status, 0) << show(gone);
    EXPECT_TRUE(has(gone.out, "the handset commands use COM7 (" + (dir_ / "gone").string() +
                                  "), which does not exist: choose a port below"))
        << gone.out;
    // The emulator's own link, given as the README gives it, is probed like any device.
    const ChildRun named = cli({"ports", "--probe", device()}, {"ZEMLO_LANG=en"});
    EXPECT_EQ(named.status, 0) << show(named);
    EXPECT_TRUE(has(named.out, "handset found on " + link_.string())) << named.out;
}

// Four handsets at once, one of which takes a call during the transfer: that one fails, the
// others succeed, and the exit status and the summary say so.
// The emulator started as the README starts it announces its link in the user's runtime folder,
// and the probe finds it there without being told; an announcement is believed only from a
// running emulator, of this user, in a folder closed to others, and goes when the emulator ends.
TEST_F(CliAgainstHandset, ProbeFindsTheLinkARunningEmulatorAnnounced) {
    const fs::path run = dir_ / "run";
    fs::create_directories(run);
    fs::permissions(run, fs::perms::owner_all, fs::perm_options::replace);
    const fs::path links = run / "zemlo-links";
    const fs::path link = dir_ / "handset";
    ChildPlan plan;
    plan.argv = {(bin_ / "handsim").string(), "--link", link.string(), "--store",
                 (dir_ / "store").string()};
    plan.env = {"XDG_RUNTIME_DIR=" + run.string()};
    plan.out = dir_ / "handsim.txt";
    Child handsim(std::move(plan));
    ASSERT_GT(handsim.pid(), 0);
    const fs::path mine = links / (std::to_string(handsim.pid()) + ".link");
    ASSERT_TRUE(wait_until([&] { return fs::exists(mine); }, 20s));
    EXPECT_EQ(fs::status(links).permissions() & fs::perms::all, fs::perms::owner_all);
    EXPECT_EQ(fs::status(mine).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);

    // A dead process's announcement (nobody holds it) of a terminal that exists, and a link in
    // place of an announcement: neither is probed.
    const int silent = ::posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(silent, 0);
    ASSERT_EQ(::grantpt(silent), 0);
    ASSERT_EQ(::unlockpt(silent), 0);
    const std::string silent_path = ::ptsname(silent);
    { std::ofstream(links / "1.link") << silent_path << "\n"; }
    fs::create_symlink(mine, links / "2.link");

    ChildRun r = cli({"ports", "--probe"}, {"ZEMLO_LANG=en"});
    ASSERT_EQ(r.status, 0) << show(r);
    EXPECT_TRUE(has(r.out, link.string() + "  (no COM number)\n    description: handset emulator"))
        << r.out;
    EXPECT_TRUE(has(r.out, "handset found on " + link.string())) << r.out;
    EXPECT_FALSE(has(r.out, silent_path)) << r.out;
    EXPECT_EQ(r.out.find(link.string() + "  "), r.out.rfind(link.string() + "  ")) << r.out;
    r = cli({"ports", "--probe", "--json"});
    ASSERT_EQ(r.status, 0) << show(r);
    EXPECT_TRUE(has(r.out, "\"probe\":\"answers\"}],\"answering\":[\"" + link.string() + "\"]}\n"))
        << r.out;

    // A folder others may enter is not believed.
    fs::permissions(links, fs::perms::owner_all | fs::perms::others_exec,
                    fs::perm_options::replace);
    r = cli({"ports", "--probe"});
    EXPECT_EQ(r.status, 1) << show(r);
    EXPECT_FALSE(has(r.out, link.string())) << r.out;
    fs::permissions(links, fs::perms::owner_all, fs::perm_options::replace);

    // Ended, the emulator takes its announcement with it, and the probe finds nothing again.
    handsim.kill(SIGTERM);
    EXPECT_EQ(handsim.finish().status, 0);
    EXPECT_FALSE(fs::exists(mine));
    r = cli({"ports", "--probe", "--json"});
    EXPECT_EQ(r.status, 1) << show(r);
    EXPECT_TRUE(has(r.out,
                    "{\"error\":{\"kind\":\"failed\",\"exit_status\":1,"
                    "\"message\":\"没有手机应答"))
        << r.out;
    ::close(silent);
}

TEST_F(CliAgainstHandset, FourHandsetsAtOnceWithOneFaulty) {
    write_file(dir_ / "sunset.bmp", ramp_bitmap(40, 30));
    std::vector<std::unique_ptr<handsim::Emulator>> handsets;
    std::vector<std::string> env;
    for (int i = 1; i <= 4; ++i) {
        const fs::path store = dir_ / ("store" + std::to_string(i));
        handsim::EmulatorOptions o;
        o.link_path = (dir_ / ("tty" + std::to_string(i))).string();
        o.store_dir = store.string();
        handsets.push_back(std::make_unique<handsim::Emulator>(o));
        std::string error;
        ASSERT_TRUE(handsets.back()->start(&error)) << error;
        env.push_back("HANDLINK_COM" + std::to_string(10 + i) + "=" + o.link_path);
    }

    ChildRun r = cli({"--port", "11,12,13,14", "list", "--json"}, env);
    ASSERT_EQ(r.status, 0) << show(r);
    EXPECT_TRUE(has(r.out, "\"succeeded\":4,\"failed\":0}")) << r.out;
    EXPECT_TRUE(has(r.out, "{\"handset\":\"COM13\",\"result\":\"ok\"")) << r.out;
    EXPECT_TRUE(has(r.out, "\"output\":{\"port\":13,")) << "each listing embedded\n" << r.out;

    ASSERT_TRUE(handsets[2]->control("event 1 after 5"));
    const std::string faulty = (dir_ / "tty3").string();
    std::vector<std::string> args;
    for (int i = 1; i <= 4; ++i) {
        args.push_back("--device");
        args.push_back((dir_ / ("tty" + std::to_string(i))).string());
    }
    args.push_back("download");
    args.push_back((dir_ / "sunset.bmp").string());
    r = cli(args);
    EXPECT_EQ(r.status, 1) << show(r);
    for (int i : {1, 2, 4}) {
        EXPECT_EQ(fs::file_size(dir_ / ("store" + std::to_string(i)) / "pic" / "sunset.bmp"),
                  30748u)
            << i;
        const std::string handset = (dir_ / ("tty" + std::to_string(i))).string();
        EXPECT_TRUE(has(r.out, handset + "  成功")) << show(r);
    }
    EXPECT_FALSE(fs::exists(dir_ / "store3" / "pic" / "sunset.bmp"));
    EXPECT_TRUE(has(r.out, faulty + "  失败")) << show(r);
    EXPECT_TRUE(has(r.err, "4台手机中有1台失败：" + faulty + " (手机来电，中断操作！)")) << show(r);
    // Each handset's messages carry its name.
    EXPECT_TRUE(has(r.err, faulty + ": zemlo-cli: 手机来电，中断操作！")) << show(r);

    // Commands for one handset refuse several, as they did.
    r = cli({"--device", faulty, "--device", (dir_ / "tty1").string(), "delete", "pic", "a"});
    EXPECT_EQ(r.status, 2) << show(r);
    EXPECT_TRUE(has(r.err, "--device 只能给一次")) << show(r);
    for (auto &h : handsets) {
        h->stop();
    }
}

// A dry run on two handsets at once: each says what would happen on it, the one with a full
// folder refused and the other replacing its file, and neither store changes.
TEST_F(CliAgainstHandset, DryRunOnTwoHandsetsSaysWhatEachWouldDoAndChangesNeither) {
    write_file(dir_ / "dusk.bmp", ramp_bitmap(40, 30));
    std::vector<std::unique_ptr<handsim::Emulator>> handsets;
    std::vector<std::string> args;
    for (int i = 1; i <= 2; ++i) {
        const fs::path store = dir_ / ("store" + std::to_string(i));
        fs::create_directories(store / "pic");
        fs::create_directories(store / "melody");
        // The first one has the file to replace; the second one's folder is full without it.
        for (int k = 0; k < (i == 1 ? 1 : 10); ++k) {
            write_file(store / "pic" /
                           (i == 1 ? std::string("dusk.bmp") : "p" + std::to_string(k) + ".bmp"),
                       std::vector<uint8_t>(100, 1));
        }
        handsim::EmulatorOptions o;
        o.link_path = (dir_ / ("tty" + std::to_string(i))).string();
        o.store_dir = store.string();
        handsets.push_back(std::make_unique<handsim::Emulator>(o));
        std::string error;
        ASSERT_TRUE(handsets.back()->start(&error)) << error;
        args.insert(args.end(), {"--device", o.link_path});
    }
    const auto before1 = store_bytes(dir_ / "store1");
    const auto before2 = store_bytes(dir_ / "store2");
    args.insert(args.end(), {"download", (dir_ / "dusk.bmp").string(), "--replace", "--dry-run"});
    const ChildRun r = cli(args);
    EXPECT_EQ(r.status, 1) << show(r);
    const std::string line = "[1/1] " + (dir_ / "dusk.bmp").string() + " -> dusk.bmp: ";
    const size_t first =
        r.out.find("== " + (dir_ / "tty1").string() + "\n" + line + "会发送30748字节（在手机上占");
    const size_t second =
        r.out.find("== " + (dir_ / "tty2").string() + "\n" + line + "会被拒绝：已超过可下载文件数");
    EXPECT_NE(first, std::string::npos) << show(r);
    EXPECT_NE(second, std::string::npos) << show(r);
    EXPECT_TRUE(has(r.out, "），会替换dusk.bmp，之后可用")) << show(r);
    const std::string nothing_sent = "试运行：没有发送任何数据";
    EXPECT_NE(r.out.find(nothing_sent), r.out.rfind(nothing_sent)) << "one for each\n" << show(r);
    EXPECT_EQ(store_bytes(dir_ / "store1"), before1);
    EXPECT_EQ(store_bytes(dir_ / "store2"), before2);
    for (auto &h : handsets) {
        h->stop();
    }
}

TEST_F(CliAgainstHandset, TheSameHandsetNamedTwiceIsRefusedHoweverItIsSpelled) {
    start();
    fs::create_symlink(link_, dir_ / "again");
    // Relative to the working folder, through a link, and behind a COM number.
    const std::vector<std::vector<std::string>> cases = {
        {"--device", link_.string(), "--device", "./ttyHS", "list"},
        {"--device", link_.string(), "--device", (dir_ / "again").string(), "list"},
        {"--port", "11,12", "list"},
    };
    for (const auto &c : cases) {
        const ChildRun r = cli(
            c, {"HANDLINK_COM11=" + link_.string(), "HANDLINK_COM12=" + (dir_ / "again").string()});
        EXPECT_EQ(r.status, 2) << show(r);
        EXPECT_TRUE(has(r.err, "are the same handset")) << show(r);
    }
    EXPECT_EQ(sim_->stats().messages_received, 0u) << "no worker was started";
}

// The trace is opened as every file the user names: never a pipe or a device, never waiting in
// the open (a pipe held the command past its deadline), never through another user's link in a
// shared folder.
TEST_F(CliAgainstHandset, TheTraceIsARegularFileOpenedWithoutWaiting) {
    start();
    ASSERT_EQ(::mkfifo((dir_ / "fifo").c_str(), 0600), 0);
    ChildRun r = cli({device(), "--deadline", "20", "--trace", (dir_ / "fifo").string(), "list"});
    EXPECT_EQ(r.status, 1) << show(r);
    EXPECT_TRUE(has(r.err, "无法写入跟踪文件")) << show(r);
    EXPECT_LT(r.seconds, 15) << show(r);
    r = cli({device(), "--trace", "/dev/null", "list"});
    EXPECT_EQ(r.status, 1) << show(r);

    // On several handsets, each worker's trace is FILE.N: the first one a pipe.
    std::vector<std::unique_ptr<handsim::Emulator>> others;
    handsim::EmulatorOptions o;
    o.link_path = (dir_ / "tty2").string();
    o.store_dir = (dir_ / "store2").string();
    others.push_back(std::make_unique<handsim::Emulator>(o));
    std::string error;
    ASSERT_TRUE(others.back()->start(&error)) << error;
    ASSERT_EQ(::mkfifo((dir_ / "t.1").c_str(), 0600), 0);
    r = cli({"--device", link_.string(), "--device", o.link_path, "--deadline", "20", "--trace",
             (dir_ / "t").string(), "list"});
    EXPECT_EQ(r.status, 1) << show(r);
    EXPECT_TRUE(has(r.out, "== " + o.link_path + "\n")) << "the other handset's listing\n"
                                                        << show(r);
    EXPECT_GT(fs::file_size(dir_ / "t.2"), 0u);
    EXPECT_LT(r.seconds, 15) << show(r);
    others.back()->stop();

    if (::geteuid() != 0) {
        GTEST_SKIP() << "needs root to plant a link of another user";
    }
    const fs::path shared = dir_ / "shared";
    ASSERT_EQ(::mkdir(shared.c_str(), 0700), 0);
    ASSERT_EQ(::chmod(shared.c_str(), 01777), 0);
    write_file(dir_ / "victim", {'v'});
    ASSERT_EQ(::symlink((dir_ / "victim").c_str(), (shared / "trace").c_str()), 0);
    ASSERT_EQ(::lchown((shared / "trace").c_str(), 65534, 65534), 0);
    r = cli({device(), "--trace", (shared / "trace").string(), "list"});
    EXPECT_EQ(r.status, 1) << show(r);
    EXPECT_EQ(read_file(dir_ / "victim"), "v");
}

// Ctrl-C while two handsets download: each worker is told once, stops and sends its handset
// the abort notice; the run exits 1 with both named.
// Started in the background (SIGINT ignored, as a shell leaves it) and stopped with SIGTERM, the
// same: the workers used to inherit SIGINT ignored, be sent SIGINT, and finish with exit 0.
TEST_F(CliAgainstHandset, InterruptStopsEveryHandsetCleanly) {
    write_file(dir_ / "sunset.bmp", ramp_bitmap(40, 30));
    struct Round {
        int sig;
        std::vector<int> ignored;
    };
    for (const Round &round : {Round{SIGINT, {}}, Round{SIGTERM, {SIGINT}}}) {
        SCOPED_TRACE(strsignal(round.sig));
        struct Handset {
            std::unique_ptr<handsim::Emulator> sim;
            std::shared_ptr<std::atomic<bool>> aborted = std::make_shared<std::atomic<bool>>(false);
        };
        std::vector<Handset> handsets(2);
        ChildPlan plan = cli_spec({});
        plan.ignored_signals = round.ignored;
        for (size_t i = 0; i < handsets.size(); ++i) {
            handsim::EmulatorOptions o;
            o.link_path = (dir_ / ("tty" + std::to_string(i))).string();
            o.store_dir = (dir_ / ("store" + std::to_string(i))).string();
            o.baud = 19200;  // slow enough that the interrupt comes during the transfer
            auto aborted = handsets[i].aborted;
            o.log = [aborted](const std::string &line) {
                if (line == "command abort") {
                    *aborted = true;
                }
            };
            handsets[i].sim = std::make_unique<handsim::Emulator>(o);
            std::string error;
            ASSERT_TRUE(handsets[i].sim->start(&error)) << error;
            plan.argv.insert(plan.argv.end(), {"--device", o.link_path});
        }
        plan.argv.insert(plan.argv.end(), {"download", (dir_ / "sunset.bmp").string()});
        plan.err.clear();  // both into one file, in the order written

        Child child(std::move(plan));
        ASSERT_GT(child.pid(), 0);
        // Both transfers under way: several data packets received by each handset.
        auto transferring = [&] {
            for (auto &h : handsets) {
                if (h.sim->stats().messages_received < 8) {
                    return false;
                }
            }
            return true;
        };
        ASSERT_TRUE(wait_until(transferring, 60s));
        child.kill(round.sig);
        const ChildRun r = child.finish();
        const std::string &output = r.out;
        EXPECT_EQ(r.status, 1) << show(r);
        for (size_t i = 0; i < handsets.size(); ++i) {
            EXPECT_TRUE(handsets[i].aborted->load()) << "handset " << i << "\n" << output;
            EXPECT_FALSE(fs::exists(dir_ / ("store" + std::to_string(i)) / "pic" / "sunset.bmp"));
            handsets[i].sim->stop();
        }
        EXPECT_TRUE(has(output, "2台手机中有2台失败")) << output;
        EXPECT_TRUE(has(output, "(已中断)")) << output;
        EXPECT_TRUE(has(output, "\nzemlo-cli: 已中断\n")) << output;
    }
}

// The cable pulled and put back: ports shows the device gone, then back under the same name, and
// the next command connects as before.
TEST_F(CliAgainstHandset, UnpluggedAndPluggedInAgainShowsInPortsAndConnects) {
    start();
    const std::vector<std::string> env = {"HANDLINK_COM5=" + link_.string()};
    sim_->stop();  // the link is removed
    ChildRun r = cli({"ports"}, env);
    ASSERT_EQ(r.status, 0) << show(r);
    EXPECT_TRUE(has(r.out, link_.string() + "  COM5  （不存在）")) << show(r);
    r = cli({"--port", "5", "list"}, env);
    EXPECT_EQ(r.status, 3) << show(r);

    start();  // made again under the same name
    r = cli({"ports"}, env);
    ASSERT_EQ(r.status, 0) << show(r);
    EXPECT_TRUE(has(r.out, link_.string() + "  COM5\n")) << show(r);
    r = cli({"--port", "5", "list"}, env);
    EXPECT_EQ(r.status, 0) << show(r);
}

// Ctrl-C at a chosen frame of the exchange (the first frame of that message), sent to the
// command's process.
class CliInterruptedAtAFrame : public CliHandsetFixture {
  protected:
    // Starts the handset; Ctrl-C goes to the command at the first frame of `message` that
    // comes after one of `after` (from the PC, when from_pc).
    void start(const std::string &after, const std::string &message, bool from_pc) {
        start_handset([this, after, message, from_pc](handsim::EmulatorOptions &o) {
            o.on_point = [this, after, message, from_pc](const handsim::ExchangePoint &p) {
                if (p.message == after && p.from_pc) {
                    armed_ = true;
                }
                if (armed_ && p.message == message && p.from_pc == from_pc && p.segment == 0 &&
                    !sent_.exchange(true)) {
                    ::kill(pid_.load(), SIGINT);
                }
            };
        });
    }

    ChildRun run(const std::vector<std::string> &args) {
        ChildPlan plan = cli_spec(args);
        plan.dir = dir_;
        Child child(std::move(plan));
        pid_ = child.pid();
        ChildRun r = child.finish();
        EXPECT_TRUE(sent_.load()) << "the frame never came";
        return r;
    }

    std::atomic<pid_t> pid_{-1};
    std::atomic<bool> armed_{false};
    std::atomic<bool> sent_{false};
};

TEST_F(CliInterruptedAtAFrame, CtrlCTooLateToStopTheRenameLeavesItsSuccess) {
    write_file(store_ / "pic" / "a.bmp", std::vector<uint8_t>(100, 1));
    // The handset's reply is on its way: the rename is done whatever the user presses now.
    start("rename", "reply", false);
    const ChildRun r = run({device(), "rename", "pic", "a.bmp", "c"});
    EXPECT_EQ(r.status, 0) << show(r);
    EXPECT_TRUE(has(r.out, "重命名文件成功")) << show(r);
    EXPECT_TRUE(has(r.err, "已中断")) << show(r);
    EXPECT_TRUE(fs::exists(store_ / "pic" / "c.bmp"));
}

TEST_F(CliInterruptedAtAFrame, CtrlCDuringTheLastDisconnectIsTakenNotFatal) {
    write_file(store_ / "pic" / "a.bmp", std::vector<uint8_t>(100, 1));
    start("disconnect", "disconnect", true);
    const ChildRun r = run({device(), "list"});
    // Before, the watch was gone by then and the signal ended the program without a word.
    EXPECT_EQ(r.signal, 0) << show(r);
    EXPECT_EQ(r.status, 0) << show(r);
    EXPECT_TRUE(has(r.out, "a.bmp")) << show(r);
    EXPECT_TRUE(has(r.err, "已中断")) << show(r);
}

}  // namespace
