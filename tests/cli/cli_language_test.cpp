// zemlo-cli speaks the language the locale picks: the core's messages in Chinese under a zh or C
// locale and in English under any other or with ZEMLO_LANG=en; its own English texts (usage,
// diagnosis) are the same in both.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace {

namespace fs = std::filesystem;

struct CliRun {
    int status = -1;
    std::string err;
};

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
        const fs::path err = dir_ / "stderr.txt";
        const std::string command = "cd '" + dir_.string() +
                                    "' && env -u ZEMLO_LANG -u LANGUAGE -u LC_ALL -u LC_MESSAGES "
                                    "-u LANG ZEMLO_WORK_DIR='" +
                                    (dir_ / "work").string() + "' " + locale_env + " '" +
                                    bin.string() + "' " + args + " >/dev/null 2>'" + err.string() +
                                    "'";
        CliRun run;
        const int raw = std::system(command.c_str());
        run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        std::ifstream in(err);
        std::stringstream text;
        text << in.rdbuf();
        run.err = text.str();
        return run;
    }

    fs::path dir_;
};

TEST_F(CliLanguage, TheCoresMessagesFollowTheLocale) {
    const std::string bad_name = "--device /nonexistent/tty download photo.bmp --name a-b";
    for (const std::string env : {"LANG=zh_CN.UTF-8", "LANG=C", "", "ZEMLO_LANG=zh LANG=en_US"}) {
        const CliRun run = cli(env, bad_name);
        EXPECT_EQ(run.status, 2) << env;
        EXPECT_NE(run.err.find("zemlo-cli: 请输入字母和数字组成的文件名! (\"a-b\"; give one with "
                               "--name)\n手机的文件名最多8个字符，只能用英文字母和数字\nusage: "
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

// A port that cannot be opened: the core's error in the language, the diagnosis below it in
// English in both.
TEST_F(CliLanguage, APortErrorInBothLanguages) {
    const std::string list = "--device /nonexistent/tty list";
    const CliRun chinese = cli("LC_ALL=zh_CN.UTF-8 LANG=en_US.UTF-8", list);
    const CliRun english = cli("ZEMLO_LANG=en LANG=zh_CN.UTF-8", list);
    EXPECT_EQ(chinese.status, english.status);
    EXPECT_NE(chinese.status, 0);
    const std::string diagnosis = "\n  COM3 is /nonexistent/tty\n  why: no such device";
    EXPECT_EQ(chinese.err.rfind("zemlo-cli: 不能打开COM端口" + diagnosis, 0), 0u) << chinese.err;
    EXPECT_EQ(english.err.rfind("zemlo-cli: The COM port cannot be opened" + diagnosis, 0), 0u)
        << english.err;
}

}  // namespace
