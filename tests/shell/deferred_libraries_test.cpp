// What the window's start leaves for later: the synthesizer and the metafile readers are not in
// the process when the window has painted, and come the first time their work is done; the
// network and serial port libraries never come. A program
// of its own, so that nothing before it has played a melody or read a metafile.
#include <gtest/gtest.h>

#include <QTest>
#include <filesystem>
#include <fstream>
#include <string>

#include "main_window.h"
#include "melody_panel.h"
#include "offscreen_app.h"
#include "profile.h"

namespace zemlo::shell {
namespace {

namespace fs = std::filesystem;

// Whether a library whose file name starts with prefix is mapped into this process.
bool loaded(const std::string &prefix) {
    std::ifstream maps("/proc/self/maps");
    for (std::string line; std::getline(maps, line);) {
        const size_t slash = line.rfind('/');
        if (slash != std::string::npos && line.compare(slash + 1, prefix.size(), prefix) == 0) {
            return true;
        }
    }
    return false;
}

TEST(DeferredLibraries, TheWindowPaintsWithoutTheSynthesizerOrTheMetafileReaders) {
    test::ensure_app();
    char tmpl[] = "/tmp/zemlo-deferred-XXXXXX";
    const fs::path dir = ::mkdtemp(tmpl);
    ::setenv("HOME", dir.c_str(), 1);
    ::setenv("ZEMLO_WORK_DIR", (dir / "work").c_str(), 1);
    ::setenv("ZEMLO_AUDIO_WAV", (dir / "played.wav").c_str(), 1);
    app::MemoryProfile profile;
    WindowHooks hooks;
    hooks.box = [](const app::MessageBoxDetails &, QWidget *) { return app::BoxAnswer::Ok; };
    MainWindow window(profile, (dir / "none").string(), hooks);
    window.initialise();
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    ASSERT_TRUE(QTest::qWaitFor([&] { return window.browser_ready(); }, 10000));
    EXPECT_FALSE(loaded("libfluidsynth"));
    EXPECT_FALSE(loaded("libwmf"));
    EXPECT_FALSE(loaded("libemf2svg"));
    // Nor, ever, a network or serial port library: the single-window socket and the port
    // dialog's device list are the system's own.
    EXPECT_FALSE(loaded("libQt6Network"));
    EXPECT_FALSE(loaded("libQt6SerialPort"));
    EXPECT_FALSE(loaded("libudev"));

    // A melody played: its synthesizer comes then.
    const unsigned char midi[] = {'M',  'T',  'h',  'd',  0,    0,   0, 6,    0,    0,  0, 1,
                                  0,    0x60, 'M',  'T',  'r',  'k', 0, 0,    0,    12, 0, 0x90,
                                  0x3c, 0x40, 0x60, 0x80, 0x3c, 0,   0, 0xff, 0x2f, 0};
    std::ofstream(dir / "tune.mid", std::ios::binary)
        .write(reinterpret_cast<const char *>(midi), sizeof midi);
    window.parts().melody_panel->set_melody_source((dir / "tune.mid").string());
    window.parts().melody_panel->play();
    EXPECT_TRUE(loaded("libfluidsynth"));
    window.parts().melody_panel->stop();
    std::error_code ec;
    fs::remove_all(dir, ec);
}

}  // namespace
}  // namespace zemlo::shell
