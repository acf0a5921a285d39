// Several handsets at once: the options that name them, a worker's output as the runner reads it,
// and the summary.
#include "fleet_report.h"

#include <gtest/gtest.h>

#include "global_options.h"

namespace zemlo::cli {
namespace {

using Args = std::vector<std::string>;

TEST(SeveralHandsets, NamedByRepeatedDevicesOrAPortList) {
    Args args{"--device", "/dev/a", "download", "x.bmp", "--device=/dev/b"};
    std::string error;
    auto o = extract_global_options(args, &error);
    ASSERT_TRUE(o) << error;
    EXPECT_EQ(o->devices, (Args{"/dev/a", "/dev/b"}));
    EXPECT_EQ(o->device, "/dev/a");
    EXPECT_EQ(o->handsets(), 2u);
    EXPECT_EQ(o->several_error, "--device 只能给一次");  // what the other commands answer

    args = {"--port", "3,4,5", "list"};
    o = extract_global_options(args, &error);
    ASSERT_TRUE(o) << error;
    EXPECT_EQ(o->ports, (std::vector<uint32_t>{3, 4, 5}));
    EXPECT_EQ(o->port, 3u);
    EXPECT_FALSE(o->several_error.empty());

    // One handset stays exactly as before.
    args = {"--port", "7", "list"};
    o = extract_global_options(args, &error);
    ASSERT_TRUE(o) << error;
    EXPECT_EQ(o->handsets(), 1u);
    EXPECT_TRUE(o->several_error.empty());

    for (Args bad : {Args{"--port", "3,,4"}, Args{"--port", "3,"}, Args{"--port", "3,256"},
                     Args{"--port", "3", "--device", "/dev/a"}}) {
        EXPECT_FALSE(extract_global_options(bad, &error)) << bad[1];
    }
}

TEST(SeveralHandsets, WorkerStreamTellsProgressFromMessages) {
    WorkerStream s;
    EXPECT_TRUE(s.feed("连接中...\n").size() == 1);
    EXPECT_TRUE(s.feed("\r\033[Kpacket 1/61  512/30").empty());
    EXPECT_EQ(s.progress(), "packet 1/61  512/30");
    EXPECT_FALSE(s.transfer_bytes()) << "a line cut in the middle is not read";
    EXPECT_TRUE(
        s.feed("748 bytes\r\033[Kpacket 2/61  1024/30748 bytes  2048 B/s  14 s left").empty());
    EXPECT_EQ(s.progress(), "packet 2/61  1024/30748 bytes  2048 B/s  14 s left");
    EXPECT_EQ(s.transfer_bytes(), 30748u);
    // The line is cleared, then an error follows as a message of its own.
    const auto lines = s.feed("\r\033[Kzemlo-cli: 手机来电，中断操作！\n");
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], "zemlo-cli: 手机来电，中断操作！");
    EXPECT_EQ(s.progress(), "");
    EXPECT_EQ(s.transfer_bytes(), 30748u);

    // A worker that never ends its line cannot make the runner hold it all.
    WorkerStream flood;
    flood.feed(std::string(100000, 'x'));
    EXPECT_TRUE(flood.progress().empty());
    EXPECT_EQ(flood.feed("\n")[0].size(), 4096u);

    EXPECT_EQ(progress_total_bytes("packet 3/61  1536/9 bytes"), 9u);
    EXPECT_FALSE(progress_total_bytes("packet 3/61"));
    EXPECT_FALSE(progress_total_bytes("a/b bytes"));
    // The line in Chinese; a total still being written is not yet a total.
    EXPECT_EQ(progress_total_bytes("数据包3/61  1536/30748字节  2048 B/s"), 30748u);
    EXPECT_FALSE(progress_total_bytes("数据包1/61  512/30"));
}

TEST(SeveralHandsets, SummaryNamesEveryFailureAndExitsZeroOnlyWhenAllSucceeded) {
    std::vector<HandsetResult> r(3);
    r[0] = {"COM3", 0, "文件下载成功", 2.0, 30000, "{\"port\":3}\n"};
    r[1] = {"/dev/ttyUSB1", 1, "手机来电，中断操作！", 1.0, 0, ""};
    r[2] = {"COM5", 0, "", 4.0, 30000, "ok text\n"};
    EXPECT_EQ(fleet_exit_status(r), 1);
    // In Chinese here (no catalogue is installed); the English is checked on the command line.
    EXPECT_EQ(failures_line(r), "3台手机中有1台失败：/dev/ttyUSB1 (手机来电，中断操作！)");

    // The columns line up on a terminal, where a Chinese character takes two.
    const std::string table = summary_table(r);
    EXPECT_EQ(table.rfind("手机          结果  时间     字节/秒\n"
                          "COM3          成功  2.0 s    15000\n"
                          "/dev/ttyUSB1  失败  1.0 s    -  手机来电",
                          0),
              0u)
        << table;
    // Not to be taken for the transfer's rate the live line showed.
    EXPECT_NE(table.find("按每台手机的整个命令计算"), std::string::npos) << table;

    const std::string json = summary_json(r, true);
    EXPECT_NE(json.find("{\"handset\":\"COM3\",\"result\":\"ok\",\"exit_status\":0,"
                        "\"seconds\":2.000,\"bytes\":30000,\"bytes_per_second\":15000,"
                        "\"message\":\"文件下载成功\",\"output\":{\"port\":3}}"),
              std::string::npos)
        << json;
    EXPECT_NE(json.find("\"output\":\"ok text\""), std::string::npos) << "not JSON: quoted";
    EXPECT_NE(json.find("\"succeeded\":2,\"failed\":1}"), std::string::npos) << json;

    r[1].exit_status = 0;
    EXPECT_EQ(fleet_exit_status(r), 0);
    EXPECT_EQ(failures_line(r), "");
    // Every handset failing the same way keeps that status: bad usage, or no port opened.
    for (auto &x : r) {
        x.exit_status = 3;
    }
    EXPECT_EQ(fleet_exit_status(r), 3);
    r[0].exit_status = 2;
    EXPECT_EQ(fleet_exit_status(r), 1);
}

}  // namespace
}  // namespace zemlo::cli
