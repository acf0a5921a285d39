// The fault soak: many operations of the core against the in-process handset emulator, each with a
// fault drawn from a fixed seed. After every operation it checks that the operation ended in time,
// that the user was told what that fault calls for, that the connection state, the handset file
// table and the free space agree with the emulator's store, that no work file is left open and that
// the user's own files are untouched. Prints the counts; exits nonzero on any failure.
//
//   core_soak [--operations N] [--seed S] [--verbose]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "core_rig.h"
#include "soak_plan.h"

namespace {

using namespace std::chrono_literals;
using zemlo::app::BoxAnswer;
using zemlo::app::FileType;
using zemlo::app::MainCore;
using zemlo::app::testing::CoreRig;
using zemlo::soak::Fault;
using zemlo::soak::Op;
using zemlo::soak::SoakPlan;
using zemlo::soak::Step;
namespace fs = std::filesystem;
namespace rec = zemlo::records;

constexpr auto kOperationBound = 60s;  // the slowest fault: three timed-out tries per packet
constexpr auto kConnectBound = 30s;
constexpr auto kEventBound = 10s;
constexpr uint32_t kDefaultOperations = 1000;
constexpr uint64_t kDefaultSeed = 1;
constexpr size_t kNamePool = 13;
constexpr uint32_t kLargestPicture = 4000;
constexpr uint32_t kLargestMelody = 3000;
constexpr uint32_t kSmallestFile = 100;
constexpr FileType kPicture = FileType::Picture;
constexpr FileType kMelody = FileType::Melody;
constexpr uint32_t kPercentPictures = 65;
constexpr size_t kFailuresShown = 5;

const char *const kBoxError = "box 确认 error ";
// The second lines under a failed transfer and a handset that does not answer.
const char *const kNothingKept = "\n手机没有保存这个文件，请重新下载";
const char *const kLineLostNothingKept =
    "\n连接已断开（数据线或串口设备被拔出），手机没有保存这个文件";
const char *const kCheckConnection =
    "\n请检查：数据线已接好，手机已开机并处于数据模式，选择的端口正确";

std::string event_text(uint32_t code) {
    switch (code) {
        case 1:
            return "手机来电，中断操作！";
        case 2:
            return "手机电压不足，中断操作！";
        case 3:
            return "操作超时！";
        default:
            return "用户中断连接";
    }
}

struct Expectation {
    std::vector<std::string> lines;  // one of them must have been recorded
    bool connected = true;
    bool abort_notice = false;   // the handset must have been told of the Cancel
    bool store_emptied = false;  // a format went through
};

struct FileEntry {
    FileType type;
    std::string name;
    uint64_t size;
    auto operator<=>(const FileEntry &) const = default;
};

class Soak {
  public:
    Soak(uint32_t operations, uint64_t seed, bool verbose)
        : operations_(operations), seed_(seed), plan_(seed), verbose_(verbose) {}

    int run() {
        std::string error;
        if (!rig_.start_handset(&error) || !rig_.start_core()) {
            std::fprintf(stderr, "cannot start: %s\n", error.c_str());
            return 2;
        }
        write_user_files();
        const auto started = std::chrono::steady_clock::now();
        for (uint32_t i = 0; i < operations_ && !hung_; ++i) {
            ensure_connected();
            const Step step = plan_.next();
            ++ops_[zemlo::soak::op_name(step.op)];
            run_step(i, step);
        }
        if (!hung_) {
            rig_.run([](MainCore &c) { c.disconnect_command(); }, kConnectBound);
        }
        const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(
                                 std::chrono::steady_clock::now() - started)
                                 .count();
        print(seconds);
        if (hung_) {
            // The hung worker cannot be joined; leave without unwinding it.
            std::fflush(stdout);
            std::_Exit(1);
        }
        for (const auto &[kind, n] : failures_) {
            if (n != 0) {
                return 1;
            }
        }
        return 0;
    }

  private:
    // --- the user's files -----------------------------------------------------------------------

    void write_user_files() {
        CoreRig::write_file(rig_.pc() / "photo.jpg", bytes(2048, 1));
        CoreRig::write_file(rig_.pc() / "tune.mid", bytes(1024, 2));
        CoreRig::write_file(rig_.pc() / "notes.txt", bytes(64, 3));
        user_files_ = snapshot_user_files();
    }

    std::map<std::string, std::vector<uint8_t>> snapshot_user_files() const {
        std::map<std::string, std::vector<uint8_t>> files;
        for (const auto &e : fs::directory_iterator(rig_.pc())) {
            files[e.path().filename().string()] = CoreRig::read_file(e.path());
        }
        return files;
    }

    std::vector<uint8_t> bytes(size_t n, uint32_t salt) {
        std::vector<uint8_t> v(n);
        for (size_t i = 0; i < n; ++i) {
            v[i] = static_cast<uint8_t>((i * 31 + salt * 7 + (i >> 8)) & 0xFF);
        }
        return v;
    }

    // --- connection -----------------------------------------------------------------------------

    void ensure_connected() {
        if (rig_.values().connected.load()) {
            return;
        }
        for (int attempt = 0; attempt < 2; ++attempt) {
            if (rig_.connect(kConnectBound)) {
                rig_.on_window([&] { rig_.core().handset_folder_selected(kPicture); });
                return;
            }
        }
        fail("reconnect", "connect failed twice:\n" + rig_.dump());
    }

    std::vector<FileEntry> table_entries() {
        std::vector<FileEntry> out;
        rig_.on_window([&] {
            for (const auto &e : rig_.core().listing().table().entries()) {
                const size_t caret = e.text.rfind('^');
                out.push_back({e.type, e.text.substr(0, caret),
                               std::strtoull(e.text.c_str() + caret + 1, nullptr, 10)});
            }
        });
        std::sort(out.begin(), out.end());
        return out;
    }

    std::vector<FileEntry> store_entries() const {
        std::vector<FileEntry> out;
        for (FileType type : {kPicture, kMelody}) {
            const fs::path dir = rig_.store() / (type == kPicture ? "pic" : "melody");
            std::error_code ec;
            for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
                if (it->is_regular_file()) {
                    out.push_back({type, it->path().filename().string(), it->file_size()});
                }
            }
        }
        std::sort(out.begin(), out.end());
        return out;
    }

    // --- one step -------------------------------------------------------------------------------

    void run_step(uint32_t index, const Step &planned) {
        Step step = planned;
        rig_.ui().clear_log();
        rig_.clear_sim_log();
        Expectation expect;
        bool ran = false;
        switch (step.op) {
            case Op::Download:
                ran = download(step, expect);
                break;
            case Op::Rename:
            case Op::Delete:
                ran = file_command(step, expect);
                if (!ran) {
                    // No file on the handset to act on: a download instead.
                    step.op = Op::Download;
                    if (step.fault == Fault::InUse) {
                        step.fault = Fault::None;
                    }
                    ran = download(step, expect);
                }
                break;
            case Op::Reconnect:
                ran = reconnect(step, expect);
                break;
            case Op::Format:
                ran = format(expect);
                break;
            case Op::Idle:
                ran = idle_event(step, expect);
                break;
        }
        ++faults_[zemlo::soak::fault_name(step.fault)];
        if (verbose_) {
            std::printf("%4u %-9s %-13s %u\n", index, zemlo::soak::op_name(step.op),
                        zemlo::soak::fault_name(step.fault), step.value);
        }
        rig_.ui().on_report(nullptr);
        rig_.sim().control("clear");
        if (!ran) {
            return;
        }
        check(index, step, expect);
    }

    bool bounded(const std::function<void(MainCore &)> &command,
                 std::chrono::milliseconds bound = kOperationBound) {
        if (!rig_.run(command, bound)) {
            hung_ = true;
            fail("hang", "an operation did not end within its bound:\n" + rig_.dump());
            return false;
        }
        return true;
    }

    bool download(Step &step, Expectation &expect) {
        const FileType type = plan_.coin(kPercentPictures) ? kPicture : kMelody;
        const auto entries = table_entries();
        std::vector<std::string> present;
        for (const auto &e : entries) {
            if (e.type == type) {
                present.push_back(e.name.substr(0, e.name.size() - 4));
            }
        }
        std::string name = "n" + std::to_string(plan_.pick(0, kNamePool - 1));
        const size_t limit = type == kPicture ? rec::kMaxPictures : rec::kMaxMelodies;
        const bool is_new = std::find(present.begin(), present.end(), name) == present.end();
        bool full = present.size() >= limit && is_new;
        if (full && step.fault != Fault::None) {
            name = present[plan_.pick(0, static_cast<uint32_t>(present.size() - 1))];
            full = false;
        }
        const uint32_t size =
            plan_.pick(kSmallestFile, type == kPicture ? kLargestPicture : kLargestMelody);
        const uint32_t blocks = (size + rec::kPacketDataBytes - 1) / rec::kPacketDataBytes;
        const bool preview = plan_.coin(50);
        const bool save = plan_.coin(70);
        rig_.ui().set_converted(bytes(size, plan_.pick(0, 255)));
        const std::string file = type == kPicture ? "photo.jpg" : "tune.mid";
        const std::string source = (rig_.pc() / file).string();
        rig_.choose_pc_file(file, type, name);
        rig_.ui().answer({BoxAnswer::Ok, preview ? BoxAnswer::Ok : BoxAnswer::Cancel,
                          save ? BoxAnswer::Ok : BoxAnswer::Cancel});
        const uint32_t packet = plan_.pick(1, blocks);
        const std::string sending = "正在发送第" + std::to_string(packet) + "个数据包...";
        const std::string succeeded = "status 文件\"" + source + (save ? "\"下载成功" : "\"未保存");

        if (full) {
            expect.lines = {kBoxError + std::string("已超过可下载文件数,请先删除文件")};
            step.fault = Fault::None;
            return bounded([](MainCore &c) { c.download_command(); });
        }
        switch (step.fault) {
            case Fault::Nak:
            case Fault::LostAck: {
                const char *fault = step.fault == Fault::Nak ? "nak-every 1" : "drop-ack 1";
                rig_.ui().on_report([this, sending, fault](const std::string &text) {
                    if (text == sending) {
                        rig_.sim().control(fault);
                    }
                });
                if (step.fault == Fault::Nak) {
                    expect.lines = {kBoxError + ("发送第" + std::to_string(packet) +
                                                 "个数据包错误" + kNothingKept)};
                    expect.connected = false;
                } else {
                    expect.lines = {succeeded};
                }
                step.value = packet;
                break;
            }
            case Fault::MissingReply:
                rig_.sim().control("silent announce");
                expect.lines = {kBoxError + std::string("初始化下载命令错误！")};
                break;
            case Fault::Event:
                rig_.sim().control("event " + std::to_string(step.value) + " after " +
                                   std::to_string(packet));
                expect.lines = {kBoxError + event_text(step.value)};
                expect.connected = false;
                break;
            case Fault::HangUp:
                rig_.sim().control("hangup-after " + std::to_string(packet));
                // The line is gone once the handset has the packet: whichever packet the PC
                // sends next finds no one there.
                for (uint32_t n = packet; n <= blocks; ++n) {
                    expect.lines.push_back(kBoxError + ("发送第" + std::to_string(n) +
                                                        "个数据包错误" + kLineLostNothingKept));
                }
                expect.lines.push_back(kBoxError + std::string("发送数据结束包错误！") +
                                       kLineLostNothingKept);
                expect.connected = false;
                step.value = packet;
                break;
            case Fault::Cancel:
                rig_.ui().on_report([this, sending](const std::string &text) {
                    if (text == sending) {
                        rig_.core().wait_cancel();  // already on the window thread
                    }
                });
                expect.abort_notice = true;
                step.value = packet;
                break;
            default:
                inject_line_fault(step);
                expect.lines = {succeeded};
                break;
        }
        return bounded([](MainCore &c) { c.download_command(); });
    }

    // Faults that the link rides out: the operation must end as if nothing happened.
    void inject_line_fault(const Step &step) {
        switch (step.fault) {
            case Fault::BadChecksum:
                rig_.sim().control("bad-checksum " + std::to_string(step.value));
                break;
            case Fault::Delay:
                rig_.sim().control("delay " + std::to_string(step.value));
                break;
            case Fault::Noise:
                rig_.sim().control("noise on");
                break;
            default:
                break;
        }
    }

    bool file_command(Step &step, Expectation &expect) {
        const auto entries = table_entries();
        std::vector<FileType> types;
        for (FileType type : {kPicture, kMelody}) {
            if (std::any_of(entries.begin(), entries.end(),
                            [type](const FileEntry &e) { return e.type == type; })) {
                types.push_back(type);
            }
        }
        if (types.empty()) {
            return false;
        }
        const FileType folder = types[plan_.pick(0, static_cast<uint32_t>(types.size() - 1))];
        rig_.on_window([&] { rig_.core().handset_folder_selected(folder); });
        const auto rows = rig_.ui().rows();
        const int32_t row =
            static_cast<int32_t>(plan_.pick(0, static_cast<uint32_t>(rows.size() - 1)));
        const std::string old_name = rows[static_cast<size_t>(row)].name;
        const std::string ext = old_name.substr(old_name.size() - 4);
        rig_.ui().set_selected_row(row);
        const bool rename = step.op == Op::Rename;
        std::string new_stem;
        bool taken = false;
        if (rename) {
            do {
                new_stem = "n" + std::to_string(plan_.pick(0, kNamePool - 1));
            } while (new_stem + ext == old_name);
            for (const auto &r : rows) {
                taken = taken || r.name == new_stem + ext;
            }
        }
        const std::string in_use = "该文件正在被使用！";
        const std::string refused = rename ? "重命名文件失败！" : "删除文件失败！";
        switch (step.fault) {
            case Fault::InUse:
                rig_.sim().control("in-use " + old_name);
                expect.lines = {kBoxError + in_use};
                break;
            case Fault::MissingReply:
                rig_.sim().control(rename ? "silent rename" : "silent delete");
                expect.lines = {kBoxError + refused};
                break;
            default:
                inject_line_fault(step);
                // The handset keeps one file per name: renaming onto another is refused.
                expect.lines = {taken ? kBoxError + refused + "\n手机上已有名为\"" + new_stem +
                                            ext + "\"的文件"
                                : rename ? std::string("status 重命名文件成功")
                                         : std::string("status 删除文件成功")};
                break;
        }
        rig_.ui().answer({BoxAnswer::Ok});
        if (rename) {
            return bounded([&](MainCore &c) {
                c.rename_command();
                c.rename_edit_begin(row);
                c.rename_edit_end(row, new_stem);
            });
        }
        return bounded([](MainCore &c) { c.delete_command(); });
    }

    bool reconnect(Step &step, Expectation &expect) {
        bool silent_handshake = false;
        if (step.fault == Fault::MissingReply) {
            silent_handshake = plan_.coin(50);
            rig_.sim().control(silent_handshake ? "silent handshake" : "silent disconnect");
        } else {
            inject_line_fault(step);
        }
        if (!bounded([](MainCore &c) { c.disconnect_command(); })) {
            return false;
        }
        const bool disconnect_told = rig_.ui().saw(
            step.fault == Fault::MissingReply && !silent_handshake ? "status 未收到响应，检查连线"
                                                                   : "status 已断开连接");
        if (!disconnect_told) {
            fail("report", "disconnect:\n" + rig_.dump());
        }
        if (!bounded([](MainCore &c) { c.connect_command(); }, kConnectBound)) {
            return false;
        }
        if (silent_handshake) {
            expect.lines = {kBoxError + std::string("手机通信错误！") + kCheckConnection};
            expect.connected = false;
        } else if (!rig_.ui().wait_for("status 连接手机成功", kConnectBound)) {
            expect.lines = {"status 连接手机成功"};  // reported as missing below
        }
        rig_.on_window([&] { rig_.core().handset_folder_selected(kPicture); });
        return true;
    }

    bool format(Expectation &expect) {
        const uint32_t how = plan_.pick(0, 3);
        rig_.sim().control("answer format");
        if (how == 0) {
            rig_.sim().control("format refuse");
            expect.lines = {kBoxError + std::string("格式化失败！")};
        } else if (how == 1) {
            rig_.sim().control("format block");
            expect.lines = {kBoxError + std::string("有文件正在被使用，请先在手机上取消其设置")};
        } else if (how == 2) {
            // Ignored: no answer and nothing erased, found out by the listing after the wait.
            rig_.sim().control("silent format");
            expect.lines = {kBoxError + std::string("手机没有格式化：文件仍在手机上")};
            expect.connected = true;
        } else {
            rig_.sim().control("format ok");
            // Only the empty listing after the restart makes it a success, and the handset is
            // connected again by then.
            expect.lines = {"box 确认 info 格式化成功"};
            expect.connected = true;
            expect.store_emptied = true;
        }
        rig_.ui().answer({BoxAnswer::Ok});
        return bounded([](MainCore &c) { c.format_command(); });
    }

    bool idle_event(Step &step, Expectation &expect) {
        // After the user's Cancel the wait window ignores reports until the next operation
        // starts, so the event then shows on the status line only.
        const bool cancelled = rig_.values().cancel.load();
        rig_.sim().control("event " + std::to_string(step.value));
        expect.lines = {(cancelled ? std::string("status ") : std::string(kBoxError)) +
                        event_text(step.value)};
        expect.connected = false;
        if (!rig_.ui().wait_for(expect.lines[0], kEventBound)) {
            fail("report", "idle event not shown:\n" + rig_.dump());
        }
        return bounded([](MainCore &) {});
    }

    // --- checks ---------------------------------------------------------------------------------

    void check(uint32_t index, const Step &step, const Expectation &expect) {
        const std::string what = std::to_string(index) + " " + zemlo::soak::op_name(step.op) + "/" +
                                 zemlo::soak::fault_name(step.fault);
        bool told = expect.lines.empty();
        for (const auto &line : expect.lines) {
            told = told || rig_.ui().saw(line);
        }
        if (!told) {
            fail("report", what + ": expected " + expect.lines.front() + "\n" + rig_.dump());
        }
        for (const auto &box : rig_.ui().lines(kBoxError)) {
            if (std::find(expect.lines.begin(), expect.lines.end(), box) == expect.lines.end()) {
                fail("unexpected-report", what + ": " + box + "\n" + rig_.dump());
            }
        }
        if (expect.abort_notice && !rig_.sim_saw("command abort")) {
            fail("report", what + ": no abort notice\n" + rig_.dump());
        }
        const bool connected = rig_.values().connected.load();
        const auto buttons = rig_.ui().lines("buttons");
        const std::string shown = buttons.empty() ? "" : buttons.back();
        if (connected != expect.connected ||
            shown != (connected ? "buttons 11111" : "buttons 10000")) {
            fail("state", what + ": connected " + std::to_string(connected) + ", " + shown + "\n" +
                              rig_.dump());
        }
        if (const auto open = rig_.open_work_files(); !open.empty()) {
            fail("temp-file-open", what + ": " + open.front());
        }
        if (snapshot_user_files() != user_files_) {
            fail("user-files", what);
        }
        if (expect.store_emptied && !store_entries().empty()) {
            fail("table", what + ": the store survived the format");
        }
        ensure_connected();
        if (!rig_.values().connected.load()) {
            return;
        }
        const auto table = table_entries();
        const auto store = store_entries();
        if (table != store) {
            fail("table", what + ": the table has " + std::to_string(table.size()) +
                              " files, the store " + std::to_string(store.size()));
        }
        uint64_t used = 0;
        for (const auto &e : store) {
            used += rec::allocation_size(e.size);
        }
        int64_t free_space = 0;
        rig_.on_window([&] { free_space = rig_.core().listing().free_space(); });
        const int64_t expected_free =
            static_cast<int64_t>(rec::kMaxCapacityBytes - rec::kReservedBytes - used);
        if (free_space != expected_free) {
            fail("space", what + ": free " + std::to_string(free_space) + ", expected " +
                              std::to_string(expected_free));
        }
        const size_t descriptors = CoreRig::open_descriptor_count();
        if (baseline_descriptors_ == 0) {
            baseline_descriptors_ = descriptors;
        } else if (descriptors > baseline_descriptors_) {
            fail("descriptor-leak", what + ": " + std::to_string(descriptors) + " open, " +
                                        std::to_string(baseline_descriptors_) + " at first");
            baseline_descriptors_ = descriptors;
        }
    }

    void fail(const std::string &kind, const std::string &detail) {
        if (failures_[kind]++ < kFailuresShown) {
            std::fprintf(stderr, "FAILURE %s: %s\n", kind.c_str(), detail.c_str());
        }
    }

    void print(long long seconds) {
        std::printf("operations: %u in %lld s, seed %llu\n", operations_, seconds,
                    static_cast<unsigned long long>(seed_));
        std::printf("operations by kind:");
        for (const auto &[k, n] : ops_) {
            std::printf(" %s %u", k.c_str(), n);
        }
        std::printf("\nfaults injected:");
        for (size_t k = 0; k < zemlo::soak::kFaultKinds; ++k) {
            const char *name = zemlo::soak::fault_name(static_cast<Fault>(k));
            std::printf(" %s %u", name, faults_[name]);
        }
        std::printf("\nfailures:");
        const char *kinds[] = {
            "hang",  "report",         "unexpected-report", "state",           "table",
            "space", "temp-file-open", "user-files",        "descriptor-leak", "reconnect"};
        for (const char *k : kinds) {
            std::printf(" %s %u", k, failures_[k]);
        }
        std::printf("\n");
    }

    uint32_t operations_;
    uint64_t seed_;
    SoakPlan plan_;
    bool verbose_;
    CoreRig rig_;
    bool hung_ = false;
    std::map<std::string, std::vector<uint8_t>> user_files_;
    std::map<std::string, uint32_t> ops_;
    std::map<std::string, uint32_t> faults_;
    std::map<std::string, uint32_t> failures_;
    size_t baseline_descriptors_ = 0;
};

}  // namespace

int main(int argc, char **argv) {
    uint32_t operations = kDefaultOperations;
    uint64_t seed = kDefaultSeed;
    bool verbose = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--operations" && i + 1 < argc) {
            operations = static_cast<uint32_t>(std::strtoul(argv[++i], nullptr, 10));
        } else if (arg == "--seed" && i + 1 < argc) {
            seed = std::strtoull(argv[++i], nullptr, 10);
        } else if (arg == "--verbose") {
            verbose = true;
        } else {
            std::fprintf(stderr, "usage: core_soak [--operations N] [--seed S] [--verbose]\n");
            return 2;
        }
    }
    Soak soak(operations, seed, verbose);
    return soak.run();
}
