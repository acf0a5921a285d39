// The Windows build under Wine, against the handset emulator: the Windows test program
// (handlink_windows_tests.exe) and the C example run with their COM ports led by Wine to the
// emulators' pseudo-terminals (dosdevices/comN), while this build's own libraries make the same
// downloads on a second emulator; the two handsets' stores must then be equal byte for byte.
// Wine starts once for the whole run: one program, one CTest test, its cases share the run.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "api_handset.h"
#include "child_process.h"
#include "download_flow.h"
#include "file_bytes.h"
#include "handsim/emulator.h"
#include "picmill.h"
#include "sample_bitmap.h"
#include "sample_media.h"

namespace zemlo::testing {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

constexpr uint32_t kHandsetCom = 5;
constexpr uint32_t kOtherCom = 6;
constexpr uint32_t kExampleCom = 7;
constexpr uint32_t kMissingCom = 9;
constexpr uint32_t kLostCom = 10;  // two digits: reached only as \\.\COM10
// The program's capture size: the picture the handset shows.
constexpr uint32_t kPictureWidth = 122;
constexpr uint32_t kPictureHeight = 126;
// Making a new Wine prefix takes a quarter of a minute; the Windows checks about as long.
constexpr auto kPrefixDeadline = 180s;
constexpr auto kWindowsRunDeadline = 150s;

const fs::path kScratch = ZEMLO_WINE_SCRATCH;
const fs::path kPrefix = ZEMLO_WINE_PREFIX;
const fs::path kWindowsBin = fs::path(ZEMLO_WINDOWS_X86_64) / "bin";

// Z: is the root of the Linux file system in every Wine prefix.
std::string windows_path(const fs::path &path) {
    std::string text = "Z:" + fs::absolute(path).string();
    for (char &c : text) {
        if (c == '/') {
            c = '\\';
        }
    }
    return text;
}

// Wine with its prefix in the build folder, no display, no offer to install what it lacks.
std::vector<std::string> wine_environment() {
    return {"WINEPREFIX=" + kPrefix.string(),   "WINEARCH=win64", "WINEDEBUG=-all",
            "WINEDLLOVERRIDES=mscoree,mshtml=", "DISPLAY",        "WAYLAND_DISPLAY"};
}

ChildPlan wine(std::vector<std::string> args, const fs::path &out) {
    ChildPlan plan;
    plan.argv = {ZEMLO_WINE};
    plan.argv.insert(plan.argv.end(), args.begin(), args.end());
    plan.env = wine_environment();
    plan.out = out;
    return plan;
}

// Every file under root, by its path below root.
std::map<std::string, std::string> tree(const fs::path &root) {
    std::map<std::string, std::string> files;
    for (const auto &entry : fs::recursive_directory_iterator(root)) {
        if (entry.is_regular_file()) {
            files[fs::relative(entry.path(), root).string()] = read_file(entry.path());
        }
    }
    return files;
}

std::vector<handlink::testing::ScriptedHandset::Reply> answer_power_state(
    const handlink::testing::PcRecord &r) {
    if (r.signal() != 0x7806) {
        return {};
    }
    // A message of the handset's own first, then the confirmation: the library has forwarded
    // the message before the request returns, so the example shows it however late it runs.
    return {{0xD4, handlink::testing::long_header_message(83, 0x7905, {0xAB, 0xCD})},
            {0xD3, handlink::testing::signal_message(82, 82, 0x7807, {0x03})}};
}

struct WineRunState {
    std::unique_ptr<handsim::Emulator> windows_handset;
    std::unique_ptr<handsim::Emulator> other_handset;
    std::unique_ptr<handsim::Emulator> hanging_up_handset;
    std::unique_ptr<handsim::Emulator> linux_handset;
    std::unique_ptr<handlink::testing::ScriptedHandset> example_handset;
    std::string setup_error;
    ChildRun prefix;
    ChildRun windows_checks;
    ChildRun example;
    std::string linux_error;
    bool linux_done = false;
};

WineRunState *g_run = nullptr;

std::unique_ptr<handsim::Emulator> emulator(const std::string &name, bool seed, std::string *error,
                                            std::vector<std::string> controls = {}) {
    handsim::EmulatorOptions o;
    o.link_path = (kScratch / ("handset-" + name)).string();
    o.store_dir = (kScratch / ("store-" + name)).string();
    o.seed = seed;
    o.controls = std::move(controls);
    auto e = std::make_unique<handsim::Emulator>(o);
    if (!e->start(error)) {
        return nullptr;
    }
    return e;
}

// Leads COM n of the prefix to target (nothing: to no device at all).
void lead_com(uint32_t n, const std::string &target) {
    const fs::path link = kPrefix / "dosdevices" / ("com" + std::to_string(n));
    std::error_code ignored;
    fs::remove(link, ignored);
    if (!target.empty()) {
        fs::create_symlink(target, link);
    }
}

// The same downloads through this build's libraries: the picture converted by libpicmill.so.
void linux_downloads(WineRunState &run, const fs::path &bitmap,
                     const std::vector<uint8_t> &melody) {
    const fs::path text = kScratch / "linux" / "tmp.el";
    fs::create_directories(text.parent_path());
    void *picmill = dlopen(PICMILL_LIBRARY_NAME, RTLD_NOW);
    if (picmill == nullptr) {
        run.linux_error = dlerror();
        return;
    }
    const auto convert = reinterpret_cast<ConvertBmpFn>(dlsym(picmill, PICMILL_CONVERT_SYMBOL));
    const int converted = convert(bitmap.c_str(), text.c_str());
    dlclose(picmill);
    std::string error;
    const auto picture = converted == 1 ? picture_from_text_file(text, &error) : std::nullopt;
    if (!picture) {
        run.linux_error = "the conversion failed: " + error;
        return;
    }
    handsim::HandlinkSession session;
    if (!session.load("libhandlink.so", &error) ||
        !session.open(run.linux_handset->link_path(), &error) || !handshake(session) ||
        !download_and_keep(session, kPictureOnHandset, *picture, false, &error) ||
        !download_and_keep(session, kMelodyOnHandset, melody, true, &error) ||
        !disconnect(session)) {
        run.linux_error = error.empty() ? "the session failed" : error;
        return;
    }
    run.linux_done = true;
}

class WineEnvironment : public ::testing::Environment {
  public:
    void SetUp() override {
        g_run = new WineRunState;
        WineRunState &run = *g_run;
        std::error_code ignored;
        fs::remove_all(kScratch, ignored);
        fs::create_directories(kScratch / "work");
        std::string error;
        run.windows_handset = emulator("windows", true, &error);
        run.other_handset = emulator("other", false, &error);
        run.hanging_up_handset = emulator("hanging-up", false, &error, {"hangup-after 2"});
        run.linux_handset = emulator("linux", true, &error);
        run.example_handset = std::make_unique<handlink::testing::ScriptedHandset>();
        if (!run.windows_handset || !run.other_handset || !run.hanging_up_handset ||
            !run.linux_handset || !run.example_handset->ok()) {
            run.setup_error = "an emulator did not start: " + error;
            return;
        }
        run.example_handset->set_responder(answer_power_state);

        const fs::path bitmap = kScratch / "picture.bmp";
        const fs::path melody_file = kScratch / "melody.mid";
        write_file(bitmap, ramp_bitmap(kPictureWidth, kPictureHeight));
        const std::vector<uint8_t> melody = handsim::encode_handset_melody({60, 64, 67, 72});
        write_file(melody_file, melody);

        if (!fs::exists(kPrefix / "system.reg")) {
            run.prefix =
                run_child(wine({"wineboot", "--init"}, kScratch / "prefix.txt"), kPrefixDeadline);
        }
        lead_com(kHandsetCom, run.windows_handset->link_path());
        lead_com(kOtherCom, run.other_handset->link_path());
        lead_com(kExampleCom, run.example_handset->device());
        lead_com(kMissingCom, "");
        lead_com(kLostCom, run.hanging_up_handset->link_path());

        ChildPlan checks =
            wine({(kWindowsBin / "handlink_windows_tests.exe").string(), "--gtest_color=no"},
                 kScratch / "windows-checks.txt");
        for (const std::string &setting : {"ZEMLO_WINE_HANDSET_COM=" + std::to_string(kHandsetCom),
                                           "ZEMLO_WINE_OTHER_COM=" + std::to_string(kOtherCom),
                                           "ZEMLO_WINE_MISSING_COM=" + std::to_string(kMissingCom),
                                           "ZEMLO_WINE_LOST_COM=" + std::to_string(kLostCom),
                                           "ZEMLO_WINE_BITMAP=" + windows_path(bitmap),
                                           "ZEMLO_WINE_MELODY=" + windows_path(melody_file),
                                           "ZEMLO_WINE_WORK=" + windows_path(kScratch / "work")}) {
            checks.env.push_back(setting);
        }
        Child windows(checks);
        // Meanwhile, the Linux build's downloads on its own handset.
        linux_downloads(run, bitmap, melody);
        run.windows_checks = windows.finish(kWindowsRunDeadline);

        run.example = run_child(wine({(kWindowsBin / "handlink_example.exe").string(),
                                      "handlink.dll", std::to_string(kExampleCom)},
                                     kScratch / "example.txt"));
    }

    void TearDown() override {
        delete g_run;
        g_run = nullptr;
    }
};

const ::testing::Environment *const kEnvironment =
    ::testing::AddGlobalTestEnvironment(new WineEnvironment);

class WineRun : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_NE(g_run, nullptr);
        ASSERT_TRUE(g_run->setup_error.empty()) << g_run->setup_error;
        ASSERT_NE(g_run->prefix.status, 1) << "the Wine prefix: " << show(g_run->prefix);
    }
    WineRunState &state() { return *g_run; }
};

TEST_F(WineRun, TheWindowsChecksPassUnderWine) {
    const ChildRun &r = state().windows_checks;
    EXPECT_FALSE(r.hung) << show(r);
    EXPECT_EQ(r.status, 0) << show(r);
    // Every case ran, and all passed.
    EXPECT_TRUE(has(r.out, "[  PASSED  ] 7 tests.")) << show(r);
    std::printf("Windows checks under Wine: %.1f s\n", r.seconds);
}

TEST_F(WineRun, TheHandsetKeepsWhatTheLinuxBuildSentByteForByte) {
    ASSERT_TRUE(state().linux_done) << state().linux_error;
    const auto windows = tree(kScratch / "store-windows");
    const auto linux_store = tree(kScratch / "store-linux");
    ASSERT_TRUE(windows.count("pic/wine.bmp") != 0) << show(state().windows_checks);
    ASSERT_TRUE(windows.count("melody/wine.mid") != 0) << show(state().windows_checks);
    EXPECT_EQ(windows.at("pic/wine.bmp").size(), 4u + kPictureWidth * kPictureHeight * 2u);
    EXPECT_EQ(windows.size(), linux_store.size());
    for (const auto &[name, bytes] : linux_store) {
        const auto it = windows.find(name);
        ASSERT_NE(it, windows.end()) << name << " is missing from the Windows build's handset";
        EXPECT_TRUE(it->second == bytes) << name << " differs";
    }
}

TEST_F(WineRun, TheCExampleTalksThroughACOMPortAndItsWindowGetsTheMessage) {
    const ChildRun &r = state().example;
    EXPECT_EQ(r.status, 0) << show(r);
    EXPECT_TRUE(has(r.out, "OpenComm: 0, port open")) << show(r);
    EXPECT_TRUE(has(r.out, "confirmed by signal 0x7807 with 1 body bytes")) << show(r);
    EXPECT_TRUE(has(r.out, "forwarded: message 3026 kind 2 sender 83 signal 0x7905 body 2 bytes"))
        << show(r);
}

}  // namespace
}  // namespace zemlo::testing
