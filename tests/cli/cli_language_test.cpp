// zemlo-cli speaks the language the locale picks: the core's messages and its own texts (help,
// usage, the port listing) in Chinese under a zh or C locale, and in English under any other or
// with ZEMLO_LANG=en, where they read exactly as they always have.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>

namespace {

namespace fs = std::filesystem;

struct CliRun {
    int status = -1;
    std::string out;
    std::string err;
};

std::string read_text(const fs::path &path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// A line that still holds an English sentence: three words or more of lower-case letters in a row
// that are not options ("--name-from-file") or values of one ("fit|stretch|cover").
std::string english_sentence_in(const std::string &text) {
    static const std::regex sentence("(^|[^-|A-Za-z])[a-z']{2,}( [a-z']{2,}){2,}($|[^-|A-Za-z])");
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        if (std::regex_search(line, sentence)) {
            return line;
        }
    }
    return {};
}

class CliLanguage : public ::testing::Test {
  protected:
    void SetUp() override {
        char tmpl[] = "/tmp/zemlo-cli-lang-XXXXXX";
        ASSERT_NE(::mkdtemp(tmpl), nullptr);
        dir_ = tmpl;
        std::ofstream(dir_ / "photo.bmp") << "BM";
    }
    void TearDown() override { fs::remove_all(dir_); }

    // Runs zemlo-cli ARGS with the language variables set as given (and every other one unset).
    CliRun cli(const std::string &locale_env, const std::string &args) const {
        const fs::path bin = fs::read_symlink("/proc/self/exe").parent_path() / "zemlo-cli";
        const fs::path out = dir_ / "stdout.txt";
        const fs::path err = dir_ / "stderr.txt";
        // Its own profile and runtime folder: the user's port settings and the links of the
        // emulators running meanwhile do not reach it.
        const std::string command =
            "cd '" + dir_.string() +
            "' && env -u ZEMLO_LANG -u LANGUAGE -u LC_ALL -u LC_MESSAGES -u LANG ZEMLO_WORK_DIR='" +
            (dir_ / "work").string() + "' XDG_CONFIG_HOME='" + (dir_ / "config").string() +
            "' XDG_RUNTIME_DIR='" + dir_.string() + "' " + locale_env + " '" + bin.string() + "' " +
            args + " >'" + out.string() + "' 2>'" + err.string() + "'";
        CliRun run;
        const int raw = std::system(command.c_str());
        run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        run.out = read_text(out);
        run.err = read_text(err);
        return run;
    }

    fs::path dir_;
};

TEST_F(CliLanguage, TheCoresMessagesFollowTheLocale) {
    const std::string bad_name = "--device /nonexistent/tty download photo.bmp --name a-b";
    for (const std::string env : {"LANG=zh_CN.UTF-8", "LANG=C", "", "ZEMLO_LANG=zh LANG=en_US"}) {
        const CliRun run = cli(env, bad_name);
        EXPECT_EQ(run.status, 2) << env;
        EXPECT_NE(run.err.find("zemlo-cli: 请输入字母和数字组成的文件名! （\"a-b\"；请用 --name "
                               "另给一个）\n手机的文件名最多8个字符，只能用英文字母和数字\n用法："
                               "zemlo-cli download FILE"),
                  std::string::npos)
            << env << ": " << run.err;
    }
    for (const std::string env : {"ZEMLO_LANG=en LANG=zh_CN.UTF-8", "LANG=en_US.UTF-8",
                                  "LANGUAGE=de:zh LANG=zh_CN.UTF-8"}) {
        const CliRun run = cli(env, bad_name);
        EXPECT_EQ(run.status, 2) << env;
        EXPECT_NE(run.err.find("zemlo-cli: The name must be letters and digits! (\"a-b\"; give "
                               "one with --name)\na handset file name has at most 8 characters, "
                               "ASCII letters and digits only\nusage: zemlo-cli download FILE"),
                  std::string::npos)
            << env << ": " << run.err;
        EXPECT_EQ(run.err.find("could not be loaded"), std::string::npos) << run.err;
    }
}

// A port that cannot be opened: the core's error, then the diagnosis below it, in the language.
TEST_F(CliLanguage, APortErrorInBothLanguages) {
    const std::string list = "--device /nonexistent/tty list";
    const CliRun chinese = cli("LC_ALL=zh_CN.UTF-8 LANG=en_US.UTF-8", list);
    const CliRun english = cli("ZEMLO_LANG=en LANG=zh_CN.UTF-8", list);
    EXPECT_EQ(chinese.status, english.status);
    EXPECT_NE(chinese.status, 0);
    EXPECT_EQ(chinese.err.rfind("zemlo-cli: 不能打开COM端口\n  COM3 是 /nonexistent/tty\n  "
                                "原因：没有这个设备：/nonexistent/tty\n  解决：",
                                0),
              0u)
        << chinese.err;
    EXPECT_EQ(english_sentence_in(chinese.err), "") << chinese.err;
    EXPECT_EQ(english.err.rfind("zemlo-cli: The COM port cannot be opened\n  COM3 is "
                                "/nonexistent/tty\n  why: no such device /nonexistent/tty\n  fix: ",
                                0),
              0u)
        << english.err;
    // The machine's serial devices, or the word that there are none; the next lines line up.
    const bool some = english.err.find("fix: serial devices that exist: ") != std::string::npos;
    EXPECT_NE(english.err.find(some ? "\n       pick one with --device PATH (zemlo-cli ports "
                                      "--probe finds the handset)\n"
                                    : "fix: no serial device was found: check that the cable is "
                                      "plugged in (zemlo-cli ports lists them)\n"),
              std::string::npos)
        << english.err;
    EXPECT_NE(
        chinese.err.find(some ? "\n        用 --device PATH 选择一个" : "解决：没有找到串口设备"),
        std::string::npos)
        << chinese.err;
}

// The help, a command's help and a usage error: Chinese with no English sentence left, English
// byte for byte as it has always been (the file beside this test is the help as it was).
TEST_F(CliLanguage, HelpAndUsageInBothLanguages) {
    const CliRun chinese = cli("LANG=zh_CN.UTF-8", "--help");
    const CliRun english = cli("LANG=en_US.UTF-8", "--help");
    EXPECT_EQ(chinese.status, 0);
    EXPECT_EQ(english.status, 0);
    EXPECT_EQ(english.out, read_text(fs::path(ZEMLO_CLI_TEST_DATA) / "help_en.txt"));
    EXPECT_EQ(chinese.out.rfind("用法：zemlo-cli [--port N[,N...] | --device PATH...]", 0), 0u)
        << chinese.out;
    EXPECT_NE(chinese.out.find("\n  download FILE... [--name NAME]"), std::string::npos);
    EXPECT_NE(chinese.out.find("（默认300）\n"), std::string::npos) << chinese.out;
    EXPECT_EQ(english_sentence_in(chinese.out), "") << chinese.out;
    for (const char *part :
         {"--deadline SECONDS", "--trace FILE", "--replace", "--version",
          "最多8个字符，只能用英文字母和数字", "51200字节", "最多20首", "30748字节", "最多10张"}) {
        EXPECT_NE(chinese.out.find(part), std::string::npos) << part << "\n" << chinese.out;
    }
    // Every command is listed with its summary in both, in the same order.
    EXPECT_EQ(std::count(chinese.out.begin(), chinese.out.end(), '\n'),
              std::count(english.out.begin(), english.out.end(), '\n'));

    const CliRun zh_play = cli("LANG=C", "play --help");
    EXPECT_EQ(zh_play.status, 0);
    EXPECT_EQ(zh_play.out,
              "用法：zemlo-cli play FILE.mid [--wav OUT.wav]\n"
              "播放MIDI文件（或渲染成WAV文件）并显示它的长度\n");
    const CliRun en_play = cli("ZEMLO_LANG=en", "play --help");
    EXPECT_EQ(en_play.out,
              "usage: zemlo-cli play FILE.mid [--wav OUT.wav]\nplay a MIDI file (or render it into "
              "a WAV file) and print its length\n");

    // Usage errors: the reason, then the usage line; an unknown command, then the help.
    CliRun zh_error = cli("LANG=zh_CN.UTF-8", "download");
    CliRun en_error = cli("LANG=en_GB.UTF-8", "download");
    EXPECT_EQ(zh_error.status, 2);
    EXPECT_EQ(en_error.status, 2);
    EXPECT_EQ(zh_error.err.rfind("zemlo-cli: 请给出要下载的文件\n用法：zemlo-cli download FILE... "
                                 "[--name NAME]",
                                 0),
              0u)
        << zh_error.err;
    EXPECT_EQ(en_error.err.rfind("zemlo-cli: expected the files to download\nusage: zemlo-cli "
                                 "download FILE... [--name NAME]",
                                 0),
              0u)
        << en_error.err;
    zh_error = cli("LANG=zh_CN.UTF-8", "dwonload x");
    en_error = cli("ZEMLO_LANG=en", "dwonload x");
    EXPECT_EQ(zh_error.status, 2);
    EXPECT_EQ(
        zh_error.err.rfind(
            "zemlo-cli: 没有“dwonload”这个命令\nzemlo-cli: 你是不是想用 download？\n用法：", 0),
        0u)
        << zh_error.err;
    EXPECT_EQ(english_sentence_in(zh_error.err), "") << zh_error.err;
    EXPECT_EQ(en_error.err,
              "zemlo-cli: unknown command 'dwonload'\nzemlo-cli: did you mean download?\n" +
                  read_text(fs::path(ZEMLO_CLI_TEST_DATA) / "help_en.txt"));
}

// The port listing: the port the handset commands use, and that it does not exist.
TEST_F(CliLanguage, PortListingInBothLanguages) {
    const std::string ports = "--device " + (dir_ / "gone").string() + " ports";
    const CliRun chinese = cli("LANG=zh_CN.UTF-8", ports);
    const CliRun english = cli("LANG=en_US.UTF-8", ports);
    EXPECT_EQ(chinese.status, 0) << chinese.err;
    EXPECT_EQ(english.status, 0) << english.err;
    EXPECT_EQ(chinese.out.rfind("手机命令使用COM3（" + (dir_ / "gone").string() +
                                    "），但它不存在：请用 --port 或 --device 选择下面的端口\n",
                                0),
              0u)
        << chinese.out;
    EXPECT_EQ(english.out.rfind("the handset commands use COM3 (" + (dir_ / "gone").string() +
                                    "), which does not exist: choose a port below with --port or "
                                    "--device\n",
                                0),
              0u)
        << english.out;
    EXPECT_NE(chinese.out.find("  COM3  （不存在）\n"), std::string::npos) << chinese.out;
    EXPECT_NE(english.out.find("  COM3  (missing)\n"), std::string::npos) << english.out;
}

// convert melody's report and its warning: a melody whose tempo event has the wrong length is
// written up to it, with a warning that says where and why.
TEST_F(CliLanguage, ConvertMelodyInBothLanguages) {
    const unsigned char midi[] = {
        'M',  'T',  'h',  'd',  0,    0,    0,    6,  0, 0,    0,    1, 0, 96,  // format 0, 1 track
        'M',  'T',  'r',  'k',  0,    0,    0,    20,                           // the track
        0,    0x90, 0x3C, 0x40, 0x60, 0x80, 0x3C, 0,                            // a note
        0x0A, 0xFF, 0x51, 4,    1,    2,    3,    4,  0, 0xFF, 0x2F, 0};  // a 4-byte tempo, the end
    std::ofstream(dir_ / "bad.mid", std::ios::binary)
        .write(reinterpret_cast<const char *>(midi), sizeof midi);
    const CliRun chinese = cli("LANG=zh_CN.UTF-8", "convert melody bad.mid bad.dwn");
    ASSERT_EQ(chinese.status, 0) << chinese.err;
    const std::string size = std::to_string(fs::file_size(dir_ / "bad.dwn"));
    EXPECT_EQ(chinese.out, "bad.dwn：" + size + "字节，合并了1个音轨\n");
    EXPECT_EQ(chinese.err,
              "zemlo-cli: "
              "警告：bad.mid：旋律在第31字节提前结束（长度不是3的速度事件）；之前的事件都保留\n");
    const CliRun english = cli("LANG=en_US.UTF-8", "convert melody bad.mid bad.dwn");
    EXPECT_EQ(english.status, 0) << english.err;
    EXPECT_EQ(english.out, "bad.dwn: " + size + " bytes, 1 track(s) merged\n");
    EXPECT_EQ(english.err,
              "zemlo-cli: warning: bad.mid: the melody ends early at byte 31 (a tempo event whose "
              "length is not 3); the events before it are kept\n");
}

// A run on several handsets, none of them there: the summary table and the failures line.
TEST_F(CliLanguage, SeveralHandsetsSummaryInBothLanguages) {
    const std::string a = (dir_ / "ttyA").string();
    const std::string b = (dir_ / "ttyB").string();
    const std::string list = "--device " + a + " --device " + b + " list";
    const CliRun chinese = cli("LANG=zh_CN.UTF-8", list);
    const CliRun english = cli("LANG=en_US.UTF-8", list);
    EXPECT_EQ(chinese.status, 3) << chinese.err;
    EXPECT_EQ(english.status, 3) << english.err;
    const std::string gap(a.size() - 2 * 2, ' ');  // "手机" takes four columns
    EXPECT_EQ(chinese.out.rfind("手机" + gap + "  结果  时间     字节/秒\n" + a + "  失败  ", 0),
              0u)
        << chinese.out;
    EXPECT_EQ(english_sentence_in(chinese.out), "") << chinese.out;
    EXPECT_NE(chinese.err.find("zemlo-cli: 2台手机中有2台失败：" + a + " ("), std::string::npos)
        << chinese.err;
    EXPECT_EQ(english_sentence_in(chinese.err), "") << chinese.err;

    EXPECT_EQ(english.out.rfind("handset" + std::string(a.size() - 7, ' ') +
                                    "  result  time     bytes/s\n" + a + "  FAILED  ",
                                0),
              0u)
        << english.out;
    EXPECT_NE(english.out.find("\n(time and bytes/s over each handset's whole command, "
                               "connection included)\n"),
              std::string::npos)
        << english.out;
    EXPECT_NE(english.err.find("zemlo-cli: 2 of 2 handsets failed: " + a + " ("), std::string::npos)
        << english.err;
}

// The global options' errors, refused before any handset is looked for.
TEST_F(CliLanguage, GlobalOptionErrorsInBothLanguages) {
    const std::pair<std::string, std::string> cases[] = {
        {"--port 0 list", "--port takes a COM number from 1 to 255"},
        {"--deadline 0 list", "--deadline takes seconds from 1 to 86400"},
        {"--deadline 2 --deadline 3 list", "--deadline given twice"},
        {"--trace a --trace b list", "--trace given twice"},
        {"--port 3 --device /dev/null list", "give either --port or --device, not both"},
        {"list --device", "--device needs a value"},
        {"--device COM4 list",
         "\"COM4\" is a Windows port name; on Linux use --device /dev/ttyS3 (or --port 4, which "
         "maps to /dev/ttyS3)"},
        {"--device /dev/ttyUSB0: list",
         "\"/dev/ttyUSB0:\": Linux device names have no trailing \":\"; use --device /dev/ttyUSB0"},
    };
    for (const auto &[args, english_error] : cases) {
        const CliRun chinese = cli("LANG=zh_CN.UTF-8", args);
        const CliRun english = cli("LANG=en_US.UTF-8", args);
        EXPECT_EQ(chinese.status, 2) << args;
        EXPECT_EQ(english.status, 2) << args;
        EXPECT_EQ(english_sentence_in(chinese.err), "") << args << ": " << chinese.err;
        EXPECT_EQ(english.err.rfind("zemlo-cli: " + english_error + "\n", 0), 0u)
            << args << ": " << english.err;
    }
}

}  // namespace
