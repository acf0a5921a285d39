// zemlo-cli against a handset that attacks the PC: names that would steer the terminal, floods of
// start packets nobody asked for, storage descriptions that do not add up, a handset too slow to
// ever finish; and the terminal closing, Ctrl-C during a connect, and a port hint that names
// only serial ports.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <memory>
#include <mutex>
#include <thread>

#include "cli_handset_fixture.h"
#include "file_bytes.h"
#include "handsim/emulator.h"
#include "sample_bitmap.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using namespace zemlo::testing;

size_t count_of(const std::string &text, const std::string &part) {
    size_t n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++n;
    }
    return n;
}

class HostileHandset : public CliHandsetFixture {
  protected:
    void SetUp() override {
        CliHandsetFixture::SetUp();
        std::ofstream(store_ / "pic" / "a.bmp") << std::string(100, 'x');
    }

    void start(uint32_t baud = 0) {
        start_handset([this, baud](handsim::EmulatorOptions &o) {
            o.baud = baud;
            o.log = [this](const std::string &line) {
                {
                    std::lock_guard<std::mutex> lock(log_mutex_);
                    log_.push_back(line);
                }
                log_cv_.notify_all();
            };
        });
    }

    bool wait_log(const std::string &part, std::chrono::seconds timeout) {
        std::unique_lock<std::mutex> lock(log_mutex_);
        return log_cv_.wait_for(lock, timeout, [&] {
            return std::any_of(log_.begin(), log_.end(),
                               [&](const std::string &l) { return has(l, part); });
        });
    }
    size_t log_count(const std::string &part) {
        std::lock_guard<std::mutex> lock(log_mutex_);
        return static_cast<size_t>(std::count_if(
            log_.begin(), log_.end(), [&](const std::string &l) { return has(l, part); }));
    }

    // Starts zemlo-cli with the arguments and only the test's environment.
    Child spawn(const std::vector<std::string> &args, const std::vector<std::string> &env = {},
                const std::vector<int> &ignored_signals = {}) {
        ChildPlan plan = cli_spec(args);
        plan.env.insert(plan.env.end(), {"HOME=" + dir_.string(), "PATH=/usr/bin:/bin"});
        plan.env.insert(plan.env.end(), env.begin(), env.end());
        plan.inherit_env = false;
        plan.ignored_signals = ignored_signals;
        return Child(std::move(plan));
    }

    ChildRun cli(const std::vector<std::string> &args, const std::vector<std::string> &env = {}) {
        return spawn(args, env).finish();
    }

    std::mutex log_mutex_;
    std::condition_variable log_cv_;
    std::vector<std::string> log_;
};

TEST_F(HostileHandset, NamesCannotSteerTheTerminal) {
    start();
    // Title (without its ";", which would end the entry), clear screen, colour, carriage return,
    // a faked line, bell, DEL, a raw C1 byte and
    // an invalid byte in one name; a GBK name beside it.
    ASSERT_TRUE(
        sim_->control("listing-name 1b5d306f776e6564071b5b324a1b5b33316d0d0a66616b657f9bff"));
    ChildRun r = cli({device(), "list"});
    ASSERT_EQ(r.status, 0) << show(r);
    for (const char c : r.out) {
        const auto u = static_cast<unsigned char>(c);
        ASSERT_TRUE(u >= 0x20 || u == '\n') << "control byte " << int{u} << "\n" << r.out;
        ASSERT_NE(u, 0x7F) << r.out;
    }
    EXPECT_EQ(count_of(r.out, "\n"), 6u) << r.out;  // no line made by the name
    EXPECT_TRUE(has(r.out, "\\x1b]0owned\\x07\\x1b[2J\\x1b[31m\\x0d\\x0afake\\x7f\\x9b\\xff"))
        << r.out;

    ASSERT_TRUE(sim_->control("listing-name d6d0cec42e626d70"));
    r = cli({device(), "list"});
    EXPECT_TRUE(has(r.out, "中文.bmp")) << r.out;
    // The JSON output keeps the handset's bytes, escaped as JSON.
    ASSERT_TRUE(sim_->control("listing-name 1b5b324a0d"));
    r = cli({device(), "list", "--json"});
    EXPECT_EQ(r.status, 0) << show(r);
    EXPECT_TRUE(has(r.out, "\\u001b[2J\\u000d")) << r.out;

    // Characters that reorder the line or break it, as UTF-8 (U+202E, U+202C, U+2066, U+2069,
    // U+2028, U+0085, U+009B, U+061C): escaped in both outputs, raw in neither. The last byte
    // keeps the name from reading as GBK.
    ASSERT_TRUE(sim_->control(
        "listing-name 61e280ae62e280ac63e281a664e281a965e280a866c28567c29b68d89c69ff"));
    const std::string escaped = "a\\u202eb\\u202cc\\u2066d\\u2069e\\u2028f\\u0085g\\u009bh\\u061ci";
    for (const bool json : {false, true}) {
        r = cli(json ? std::vector<std::string>{device(), "list", "--json"}
                     : std::vector<std::string>{device(), "list"});
        EXPECT_EQ(r.status, 0) << show(r);
        EXPECT_TRUE(has(r.out, escaped)) << r.out;
        for (const std::string raw : {"\xe2\x80", "\xe2\x81", "\xc2\x85", "\xc2\x9b", "\xd8\x9c"}) {
            EXPECT_FALSE(has(r.out, raw)) << (json ? "--json: " : "") << r.out;
        }
    }
}

TEST_F(HostileHandset, StartPacketFloodsNeitherSlowNorBreakTheCommand) {
    start();
    const ChildRun plain = cli({device(), "list", "--json"});
    ASSERT_EQ(plain.status, 0) << show(plain);

    // Twenty start packets before the listing: they used to be answered one by one, each
    // request waiting out its timeout, and to leave capacity 0 with exit 0.
    ASSERT_TRUE(sim_->control("start-packets 20 at-list"));
    ChildRun r = cli({device(), "list", "--json"});
    EXPECT_EQ(r.status, 0) << show(r);
    EXPECT_EQ(r.out, plain.out);
    EXPECT_LT(r.seconds, plain.seconds + 3) << plain.seconds;

    // Start packets all through the command and after it: the library's records left queued when
    // it is unloaded must not make it try to reopen the port.
    ASSERT_TRUE(sim_->control("clear"));
    std::atomic<bool> flooding{true};
    std::thread flood([&] {
        // As fast as the line carries them: three more once the last three went out.
        while (flooding) {
            const uint64_t sent = sim_->stats().messages_sent;
            sim_->control("start-packets 3");
            sim_->wait_messages_sent(sent + 3, 1s);
        }
    });
    for (int i = 0; i < 3; ++i) {
        r = cli({device(), "list", "--json"});
        EXPECT_EQ(r.status, 0) << show(r);
        EXPECT_EQ(r.out, plain.out);
        EXPECT_LE(count_of(r.err, "Open com port error!"), 1u) << r.err;
        // Handling the flood itself costs time, more so in a sanitizer build on a loaded
        // machine; waiting out timeouts or reopening the port costs seconds on top.
        EXPECT_LT(r.seconds, plain.seconds * 1.5 + 5) << plain.seconds;
    }
    flooding = false;
    flood.join();
}

TEST_F(HostileHandset, StorageThatDoesNotAddUpFailsTheConnection) {
    start();
    // free above capacity, the flood's numbers, capacity below the reserve, negative free space,
    // capacity exactly the reserve (shown as 0).
    for (const char *storage : {"storage 1024 1025", "storage 1024 0xFFFFFFFF", "storage 100 100",
                                "storage 1024 10", "storage 180 180"}) {
        ASSERT_TRUE(sim_->control(storage));
        const ChildRun r = cli({device(), "list", "--json"});
        EXPECT_EQ(r.status, 1) << storage << "\n" << show(r);
        EXPECT_TRUE(has(r.err, "连接手机失败")) << storage << "\n" << show(r);
        // No listing: only the failure's document.
        EXPECT_EQ(
            r.out,
            "{\"error\":{\"kind\":\"failed\",\"exit_status\":1,\"message\":\"连接手机失败\"}}\n")
            << storage << "\n"
            << show(r);
    }
    ASSERT_TRUE(sim_->control("storage 1024 800"));
    const ChildRun r = cli({device(), "list", "--json"});
    EXPECT_EQ(r.status, 0) << show(r);
    EXPECT_TRUE(has(r.out, "\"capacity\":432128,\"used\":114688,\"free\":317440")) << r.out;
}

TEST_F(HostileHandset, EveryCommandEndsByItsDeadline) {
    start();
    // Each handset message 1.5 s late: the listing alone would take many seconds.
    ASSERT_TRUE(sim_->control("delay 1500"));
    const ChildRun r = cli({device(), "--deadline", "2", "list"});
    EXPECT_EQ(r.status, 1) << show(r);
    EXPECT_TRUE(has(r.err, "手机命令在2秒内没有结束（--deadline）")) << show(r);
    EXPECT_TRUE(r.out.empty()) << show(r);
    // Stopped at the next step, then the disconnect: well within the grace period.
    EXPECT_LT(r.seconds, 15) << show(r);
}

TEST_F(HostileHandset, TheDeadlinePassingInTheDisconnectStillFailsTheCommand) {
    start();
    // The listing arrives, then the disconnect is never answered.
    ASSERT_TRUE(sim_->control("silent disconnect"));
    const ChildRun r = cli({device(), "--deadline", "4", "list"});
    EXPECT_TRUE(has(r.out, "a.bmp")) << show(r);
    EXPECT_TRUE(has(r.err, "手机命令在4秒内没有结束（--deadline）：已停止")) << show(r);
    EXPECT_EQ(r.status, 1) << show(r);
}

// The terminal closing mid-transfer stops the download as Ctrl-C does; under nohup (SIGHUP ignored
// from the start) the user asked for the command to outlive the terminal, and it finishes.
TEST_F(HostileHandset, TerminalClosingDuringADownloadAbortsUnlessStartedUnderNohup) {
    // A picture of a few dozen packets at a slow line rate, so that the signal lands mid-transfer.
    write_file(dir_ / "p.bmp",
               bitmap24(96, 64, [](uint32_t x, uint32_t y) { return uint8_t(x * 13 + y * 3744); }));
    start(38400);
    for (const bool nohup : {false, true}) {
        SCOPED_TRACE(nohup ? "under nohup" : "from a terminal");
        Child child = spawn({device(), "download", (dir_ / "p.bmp").string(), "--name", "p"}, {},
                            nohup ? std::vector<int>{SIGHUP} : std::vector<int>{});
        ASSERT_TRUE(wait_log("command announce", 60s));
        // A few data packets in: the handset acknowledges each one.
        const uint64_t at_announce = sim_->stats().messages_sent;
        ASSERT_TRUE(sim_->wait_messages_sent(at_announce + 4, 60s));
        child.kill(SIGHUP);
        const ChildRun r = child.finish();
        if (nohup) {
            EXPECT_EQ(r.status, 0) << show(r);
            EXPECT_EQ(log_count("command abort"), 1u) << "only the first run's";
            EXPECT_TRUE(fs::exists(store_ / "pic" / "p.bmp"));
            break;
        }
        EXPECT_EQ(r.status, 1) << show(r);  // ended by the program, not by the signal
        EXPECT_TRUE(has(r.err, "已中断")) << show(r);
        EXPECT_TRUE(wait_log("command abort", 10s));
        EXPECT_TRUE(wait_log("command disconnect", 10s));
        EXPECT_FALSE(fs::exists(store_ / "pic" / "p.bmp"));
        std::lock_guard<std::mutex> lock(log_mutex_);
        log_.erase(std::remove_if(log_.begin(), log_.end(),
                                  [](const std::string &l) { return has(l, "command announce"); }),
                   log_.end());
    }
}

TEST_F(HostileHandset, CtrlCDuringAConnectToASilentHandsetStopsAtTheNextStep) {
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(master, 0);
    ASSERT_EQ(::grantpt(master), 0);
    ASSERT_EQ(::unlockpt(master), 0);
    const std::string pty = ::ptsname(master);
    Child child = spawn({"--device", pty, "list"});
    // The program has opened the line once its first frame arrives.
    pollfd p{master, POLLIN, 0};
    ASSERT_EQ(::poll(&p, 1, 30000), 1);
    const auto signalled = Clock::now();
    child.kill(SIGINT);
    const ChildRun r = child.finish();
    const double after = std::chrono::duration<double>(Clock::now() - signalled).count();
    ::close(master);
    EXPECT_EQ(r.status, 1) << show(r);
    EXPECT_TRUE(has(r.err, "已中断")) << show(r);
    // The step under way (the line set-up, about 2 s) ends, then nothing more: the remaining
    // attempts and a disconnect over a link that never came up took 5 s and more.
    EXPECT_LT(after, 4.5) << show(r);
}

TEST_F(HostileHandset, PortHintNamesOnlySerialPorts) {
    start();
    const ChildRun r =
        cli({"--port", "7", "list"},
            {"HANDLINK_COM5=/dev/null", "HANDLINK_COM6=" + dir_.string(),
             "HANDLINK_COM7=" + (dir_ / "gone").string(), "HANDLINK_COM8=" + link_.string()});
    EXPECT_EQ(r.status, 3) << show(r);
    EXPECT_TRUE(has(r.err, "现有的串口设备：")) << show(r);
    EXPECT_TRUE(has(r.err, link_.string())) << show(r);
    EXPECT_FALSE(has(r.err, "/dev/null")) << show(r);
    EXPECT_FALSE(has(r.err, dir_.string() + ",")) << show(r);
    EXPECT_FALSE(has(r.err, dir_.string() + "\n")) << show(r);
}

}  // namespace
