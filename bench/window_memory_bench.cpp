// Resident memory of the desktop window over many previews and downloads: the window offscreen,
// connected through the real libhandlink.so to the handset emulator, chooses pictures and
// melodies in turn (each shown or loaded in its panel) and downloads each one. Resident memory is
// printed at the start, after 20 rounds and after 200; what the window keeps must not grow with
// use (growth 20 -> 200 under 5 MB).
#include <unistd.h>

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "file_list_view.h"
#include "first_paint.h"
#include "handsim/emulator.h"
#include "icon_button.h"
#include "main_window.h"
#include "picture_panel.h"
#include "profile.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using zemlo::bench::resident_kb;
using zemlo::shell::MainWindow;

constexpr int kRounds = 200;
constexpr int kEarly = 20;
constexpr int kWaitMs = 30000;

void write_midi(const fs::path &p, unsigned char note) {
    const unsigned char bytes[] = {'M',  'T',  'h',  'd',  0,    0,   0, 6,    0,    0,  0, 1,
                                   0,    0x60, 'M',  'T',  'r',  'k', 0, 0,    0,    12, 0, 0x90,
                                   note, 0x40, 0x60, 0x80, note, 0,   0, 0xff, 0x2f, 0};
    std::ofstream(p, std::ios::binary).write(reinterpret_cast<const char *>(bytes), sizeof bytes);
}

bool choose(MainWindow &w, const QString &name) {
    zemlo::shell::FileListView *list = w.parts().pc_list;
    for (int row = 0; row < list->topLevelItemCount(); ++row) {
        if (list->topLevelItem(row)->text(0) == name) {
            list->select_row(row);
            emit list->row_chosen(row);
            return true;
        }
    }
    return false;
}

bool wait_idle(MainWindow &w) {
    return QTest::qWaitFor([&] { return !w.core().busy(); }, kWaitMs);
}

void fail(const char *what) {
    std::fprintf(stderr, "window_memory_bench: %s\n", what);
    std::exit(1);
}

}  // namespace

int main(int argc, char **argv) {
    char tmpl[] = "/tmp/zemlo-memory-bench-XXXXXX";
    const fs::path dir = ::mkdtemp(tmpl);
    const fs::path home = dir / "home";
    fs::create_directories(home);
    fs::create_directories(dir / "store" / "pic");
    fs::create_directories(dir / "store" / "melody");
    ::setenv("HOME", home.c_str(), 1);
    ::setenv("ZEMLO_WORK_DIR", (dir / "work").c_str(), 1);
    ::setenv("ZEMLO_AUDIO_WAV", (dir / "played.wav").c_str(), 1);
    ::setenv("XDG_RUNTIME_DIR", dir.c_str(), 0);
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);

    QApplication app(argc, argv);
    // The offscreen platform's notes (it cannot raise windows) would bury the figures.
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext &, const QString &text) {
        if (type == QtCriticalMsg || type == QtFatalMsg) {
            std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
        }
    });
    // Pictures of several sizes and formats, and melodies, so every round shows something new.
    QStringList pictures;
    for (int i = 0; i < 6; ++i) {
        QImage image(120 + 37 * i, 90 + 23 * i, QImage::Format_RGB32);
        image.fill(QColor(40 * i, 200 - 30 * i, 90));
        const QString name = QStringLiteral("pic%1.%2").arg(i).arg(i % 2 == 0 ? "bmp" : "jpg");
        if (!image.save(QString::fromStdString((home / name.toStdString()).string()))) {
            fail("cannot write the sample pictures");
        }
        pictures << name;
    }
    QStringList melodies;
    for (int i = 0; i < 3; ++i) {
        const QString name = QStringLiteral("tune%1.mid").arg(i);
        write_midi(home / name.toStdString(), static_cast<unsigned char>(0x3c + i));
        melodies << name;
    }

    handsim::EmulatorOptions options;
    options.link_path = (dir / "ttyHS").string();
    options.store_dir = (dir / "store").string();
    options.restart_quiet = 300ms;
    handsim::Emulator handset(options);
    std::string error;
    if (!handset.start(&error)) {
        fail(error.c_str());
    }
    zemlo::app::MemoryProfile profile;
    profile.set_port_device(3, options.link_path);

    zemlo::shell::WindowHooks hooks;
    // Yes to every download; no to trying it on the handset afterwards, which only adds the
    // handset's own time to each round.
    hooks.box = [](const zemlo::app::MessageBoxDetails &box, QWidget *) {
        return box.text.rfind("要在手机上", 0) == 0 ? zemlo::app::BoxAnswer::Cancel
                                                    : zemlo::app::BoxAnswer::Ok;
    };
    hooks.run_dialog = [](QDialog &) { return 0; };
    hooks.open_url = [](const QUrl &) { return true; };
    auto window = std::make_unique<MainWindow>(
        profile, QCoreApplication::applicationDirPath().toStdString(), hooks);
    MainWindow &w = *window;
    w.initialise();
    w.show();
    if (!QTest::qWaitForWindowExposed(&w) ||
        !QTest::qWaitFor([&] { return w.browser_ready(); }, kWaitMs)) {
        fail("the window did not come up");
    }
    w.parts().connect_button->click();
    if (!QTest::qWaitFor(
            [&] { return w.parts().status_line->text() == QStringLiteral("连接手机成功"); },
            kWaitMs) ||
        !wait_idle(w)) {
        fail("no connection to the emulator");
    }
    const long start_kb = resident_kb();
    long early_kb = 0;
    QElapsedTimer clock;
    clock.start();
    for (int round = 1; round <= kRounds; ++round) {
        // Three pictures for each melody.
        const bool melody = round % 4 == 0;
        const int type = melody ? 1 : 0;
        if (w.parts().file_type_box->currentIndex() != type) {
            w.parts().file_type_box->setCurrentIndex(type);
        }
        const QString name =
            melody ? melodies[(round / 4) % melodies.size()] : pictures[round % pictures.size()];
        if (!choose(w, name)) {
            fail("a sample file is not listed");
        }
        if (!melody &&
            !QTest::qWaitFor([&] { return w.parts().picture_panel->captured(); }, kWaitMs)) {
            fail("the picture was not shown");
        }
        w.parts().name_box->setText(QStringLiteral("r%1").arg(round % 8));
        w.parts().download_button->click();
        if (!wait_idle(w) || !w.parts().status_line->text().endsWith(QStringLiteral("下载成功"))) {
            std::fprintf(stderr, "round %d: %s\n", round,
                         w.parts().status_line->text().toLocal8Bit().constData());
            fail("a download failed");
        }
        if (round == kEarly) {
            early_kb = resident_kb();
        }
    }
    const long end_kb = resident_kb();
    std::printf("rounds (preview + download)  : %d in %.1f s\n", kRounds,
                static_cast<double>(clock.elapsed()) / 1000.0);
    std::printf("resident at start            : %6.1f MB\n", static_cast<double>(start_kb) / 1024);
    std::printf("resident after %3d           : %6.1f MB\n", kEarly,
                static_cast<double>(early_kb) / 1024);
    std::printf("resident after %3d           : %6.1f MB\n", kRounds,
                static_cast<double>(end_kb) / 1024);
    std::printf("growth %d -> %d             : %6.1f MB (limit 5 MB)\n", kEarly, kRounds,
                static_cast<double>(end_kb - early_kb) / 1024);
    window.reset();
    handset.stop();
    std::error_code ec;
    fs::remove_all(dir, ec);
    return end_kb - early_kb < 5 * 1024 ? 0 : 1;
}
