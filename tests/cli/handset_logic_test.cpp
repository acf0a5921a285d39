// The pure parts of zemlo-cli's handset commands.
#include <gtest/gtest.h>

#include <cerrno>

#include "global_options.h"
#include "json_text.h"
#include "port_diagnosis.h"
#include "port_names.h"
#include "transfer_progress.h"

namespace zemlo::cli {
namespace {

using Args = std::vector<std::string>;

TEST(GlobalOptions, TakenFromAnywhereUpToTheSeparator) {
    Args args{"--port", "5", "download", "a.bmp", "--trace=t.txt", "--preview", "--", "--device"};
    std::string error;
    const auto o = extract_global_options(args, &error);
    ASSERT_TRUE(o) << error;
    EXPECT_EQ(o->port, 5u);
    EXPECT_EQ(o->trace, "t.txt");
    EXPECT_FALSE(o->device);
    EXPECT_EQ(args, (Args{"download", "a.bmp", "--preview", "--", "--device"}));

    for (Args bad : {Args{"--port", "0", "list"}, Args{"--port", "256"}, Args{"--port", "3x"},
                     Args{"list", "--device"}, Args{"--device", "/dev/a", "--port", "2"},
                     Args{"--trace", "a", "--trace", "b"}, Args{"--device="}}) {
        EXPECT_FALSE(extract_global_options(bad, &error)) << bad[0] << " " << bad.back();
    }
}

TEST(PortNames, WindowsNamesAreRecognisedAndRefusedWithTheLinuxDevice) {
    EXPECT_EQ(windows_com_number("COM3"), 3u);
    EXPECT_EQ(windows_com_number("com12:"), 12u);
    EXPECT_EQ(windows_com_number("\\\\.\\COM7"), 7u);
    EXPECT_FALSE(windows_com_number("/dev/ttyS2"));
    EXPECT_FALSE(windows_com_number("COM"));
    EXPECT_FALSE(windows_com_number("COM0"));
    EXPECT_FALSE(windows_com_number("COMx"));

    const EnvLookup env = [](const std::string &name) -> std::optional<std::string> {
        if (name == "HANDLINK_COM4") {
            return "/dev/ttyACM0";
        }
        return std::nullopt;
    };
    const std::map<uint32_t, std::string> mapping{{5, "/dev/ttyUSB1"}};
    EXPECT_EQ(com_device_path(3, mapping, env), "/dev/ttyS2");
    EXPECT_EQ(com_device_path(4, mapping, env), "/dev/ttyACM0");
    EXPECT_EQ(com_device_path(5, mapping, env), "/dev/ttyUSB1");

    const auto com3 = refuse_windows_device("COM3", mapping, env);
    ASSERT_TRUE(com3);
    EXPECT_NE(com3->find("--device /dev/ttyS2"), std::string::npos) << *com3;
    EXPECT_NE(com3->find("--port 3"), std::string::npos) << *com3;
    const auto com5 = refuse_windows_device("COM5:", mapping, env);
    ASSERT_TRUE(com5);
    EXPECT_NE(com5->find("/dev/ttyUSB1"), std::string::npos) << *com5;
    const auto colon = refuse_windows_device("/dev/ttyUSB0:", mapping, env);
    ASSERT_TRUE(colon);
    EXPECT_NE(colon->find("--device /dev/ttyUSB0"), std::string::npos) << *colon;
    EXPECT_FALSE(refuse_windows_device("/dev/ttyUSB0", mapping, env));
}

std::string all(const Diagnosis &d) {
    std::string s = d.why;
    for (const auto &f : d.fixes) {
        s += "\n" + f;
    }
    return s;
}

TEST(PortDiagnosis, EachErrorSaysWhyAndWhatToDo) {
    OpenFacts f;
    f.device = "/dev/ttyUSB0";
    f.user = "ann";
    f.device_group = "dialout";
    f.error_number = EACCES;
    std::string text = all(diagnose_open_failure(f));
    EXPECT_NE(text.find("ann 不在 dialout 组中"), std::string::npos) << text;
    EXPECT_NE(text.find("sudo usermod -aG dialout ann"), std::string::npos) << text;

    // Added to the group, but the session is older than that.
    f.group_listed = true;
    text = all(diagnose_open_failure(f));
    EXPECT_NE(text.find("newgrp dialout"), std::string::npos) << text;
    EXPECT_EQ(text.find("usermod"), std::string::npos) << text;

    OpenFacts busy;
    busy.device = "/dev/ttyACM0";
    busy.error_number = EBUSY;
    busy.holders = {"ModemManager (pid 612)"};
    busy.usb_vendor = "1e0e";
    busy.usb_product = "9001";
    text = all(diagnose_open_failure(busy));
    EXPECT_NE(text.find("ModemManager (pid 612)"), std::string::npos) << text;
    EXPECT_NE(text.find("ATTRS{idVendor}==\"1e0e\", ATTRS{idProduct}==\"9001\", "
                        "ENV{ID_MM_DEVICE_IGNORE}=\"1\""),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("udevadm control --reload-rules"), std::string::npos) << text;
    // Another holder: close it; ModemManager is not blamed.
    busy.holders = {"minicom (pid 99)"};
    busy.error_number = EWOULDBLOCK;
    text = all(diagnose_open_failure(busy));
    EXPECT_NE(text.find("关闭占用它的程序"), std::string::npos) << text;
    EXPECT_EQ(text.find("ID_MM_DEVICE_IGNORE"), std::string::npos) << text;

    OpenFacts gone;
    gone.device = "/dev/ttyUSB3";
    gone.error_number = ENOENT;
    gone.existing = {"/dev/ttyS0", "/dev/ttyUSB0"};
    text = all(diagnose_open_failure(gone));
    EXPECT_NE(text.find("没有这个设备：/dev/ttyUSB3"), std::string::npos) << text;
    EXPECT_NE(text.find("/dev/ttyS0, /dev/ttyUSB0"), std::string::npos) << text;
    gone.existing.clear();
    EXPECT_NE(all(diagnose_open_failure(gone)).find("数据线"), std::string::npos);

    OpenFacts file;
    file.device = "/tmp/notes.txt";
    file.not_a_terminal = true;
    EXPECT_NE(diagnose_open_failure(file).why.find("不是串口设备"), std::string::npos);

    // A socket fails the open as a missing device would (ENXIO): it is said to be a socket.
    OpenFacts socket;
    socket.device = "/run/handset.sock";
    socket.error_number = ENXIO;
    socket.other_kind = "套接字";
    EXPECT_EQ(diagnose_open_failure(socket).why, "/run/handset.sock 是套接字，不是串口设备");

    // The user's path is shown with its controls escaped, in every line that names it.
    gone.device = "/dev/tty\x1b[2J\nUSB0";
    gone.existing = {"/dev/ttyS\x1b]0;x\x07"};
    text = all(diagnose_open_failure(gone));
    EXPECT_NE(text.find("没有这个设备：/dev/tty\\x1b[2J\\x0aUSB0"), std::string::npos) << text;
    EXPECT_NE(text.find("/dev/ttyS\\x1b]0;x\\x07"), std::string::npos) << text;
    EXPECT_EQ(text.find('\x1b'), std::string::npos) << text;
}

TEST(JsonText, EscapesWhatWouldBreakTheDocument) {
    EXPECT_EQ(json_string("a\"b\\c"), "\"a\\\"b\\\\c\"");
    EXPECT_EQ(json_string("a\nb\x01"), "\"a\\u000ab\\u0001\"");
    EXPECT_EQ(json_string("a:\\pcdlw\\pic"), "\"a:\\\\pcdlw\\\\pic\"");
    EXPECT_EQ(json_string("文件"), "\"文件\"");
    // Bytes that are not UTF-8 (a lone lead byte, an overlong form, a cut sequence).
    EXPECT_EQ(json_string("\xe6x"), "\"\\u00e6x\"");
    EXPECT_EQ(json_string("\xc0\x80"), "\"\\u00c0\\u0080\"");
    EXPECT_EQ(json_string("\xe6\x96"), "\"\\u00e6\\u0096\"");
    // Characters that would steer a terminal showing the document: escaped, still the same text.
    EXPECT_EQ(json_string("a\u202eb\u2066c\u2028d\u0085e\u061cf\u200fg"),
              "\"a\\u202eb\\u2066c\\u2028d\\u0085e\\u061cf\\u200fg\"");
    EXPECT_EQ(json_string("\u00e9\u4e2d"), "\"\u00e9\u4e2d\"") << "other characters as they are";
}

// In Chinese here (no catalogue is installed); the English line is checked on the command line.
TEST(TransferProgress, PacketReportsBecomeAProgressLine) {
    TransferProgress p;
    p.packets_total = 61;
    p.bytes_total = 30748;
    EXPECT_EQ(progress_line(p), "数据包0/61  0/30748字节");
    p.packets_sent = 20;
    p.elapsed = std::chrono::milliseconds(2000);
    EXPECT_EQ(progress_line(p), "数据包20/61  10240/30748字节  5120 B/s  还剩4秒");
    // The last packet is short: the bytes never pass the file's size; a finished transfer keeps
    // its rate and has no time left to tell.
    p.packets_sent = 61;
    p.elapsed = std::chrono::milliseconds(4000);
    EXPECT_EQ(progress_line(p), "数据包61/61  30748/30748字节  7687 B/s");
}

}  // namespace
}  // namespace zemlo::cli
