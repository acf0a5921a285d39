// The desktop program's helpers that need no handset: layout arithmetic, list keys, the play
// time, the icon cache and the folder scan.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSerialPortInfo>
#include <algorithm>
#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <mutex>

#include "background_scan.h"
#include "dialog_units.h"
#include "file_icon_cache.h"
#include "file_list_view.h"
#include "folder_scan.h"
#include "icon_button_layout.h"
#include "main_window_layout.h"
#include "offscreen_app.h"
#include "play_time.h"
#include "port_dialog.h"
#include "serial_device_list.h"
#include "serial_port_scan.h"
#include "window_fit.h"

namespace zemlo::shell {
namespace {

TEST(DialogUnits, ConvertWithTheFontsBaseUnitsRoundingHalvesUp) {
    const BaseUnits base{6, 12};
    EXPECT_EQ(du_x(base, 471), 707);  // 706.5
    EXPECT_EQ(du_y(base, 331), 497);  // 496.5
    EXPECT_EQ(du_rect(base, 3, 209, 151, 105), QRect(5, 314, 227, 158));
    EXPECT_EQ(du_x(base, 0), 0);
    test::ensure_app();
    const BaseUnits real = base_units(dialog_font());
    EXPECT_GT(real.width, 0);
    EXPECT_GT(real.height, real.width);
}

TEST(FileList, ArrowKeysChooseTheNeighbourOrNothingAtTheEnds) {
    EXPECT_EQ(arrow_target(-1, +1, 3), 0);  // Down with nothing selected: the first row
    EXPECT_EQ(arrow_target(-1, -1, 3), -1);
    EXPECT_EQ(arrow_target(0, -1, 3), -1);  // Up on the first row
    EXPECT_EQ(arrow_target(2, +1, 3), -1);  // Down on the last row
    EXPECT_EQ(arrow_target(1, -1, 3), 0);
    EXPECT_EQ(arrow_target(1, +1, 3), 2);
    EXPECT_EQ(arrow_target(-1, +1, 0), -1);
}

TEST(PlayTime, ShowsTheWholeLengthRoundedAndNeverDividesByZero) {
    EXPECT_EQ(play_time_text(61500), "播放时间 01:02");
    EXPECT_EQ(play_time_text(61499), "播放时间 01:01");
    EXPECT_EQ(play_time_text(0), "播放时间 00:00");
    EXPECT_EQ(play_percent(0, 0), 0);
    EXPECT_EQ(play_percent(500, 0), 0);
    EXPECT_EQ(play_percent(30749, 61500), 49);  // truncated
    EXPECT_EQ(play_percent(61500, 61500), 100);
    EXPECT_EQ(play_percent(70000, 61500), 100);
    EXPECT_EQ(play_percent(4000000000u, 4100000000u), 97);  // no overflow
    // A dragged slider's percentage back to a position: clamped, no overflow.
    EXPECT_EQ(play_position_ms(49, 61500), 30135u);
    EXPECT_EQ(play_position_ms(100, 61500), 61500u);
    EXPECT_EQ(play_position_ms(150, 61500), 61500u);
    EXPECT_EQ(play_position_ms(-5, 61500), 0u);
    EXPECT_EQ(play_position_ms(100, 4100000000u), 4100000000u);
}

TEST(WindowFit, TheLargestHalfPointSizeThatFitsDownToTheSmallest) {
    // A window of 100 pixels a point wide and 70 high.
    int asked = 0;
    const auto window_at = [&asked](double points) {
        ++asked;
        return QSize(static_cast<int>(points * 100), static_cast<int>(points * 70));
    };
    EXPECT_EQ(fitting_point_size(9, 6, QSize(1000, 700), window_at), 9);
    EXPECT_EQ(asked, 1);  // fits at once: nothing else is measured
    EXPECT_EQ(fitting_point_size(9, 6, QSize(1000, 600), window_at), 8.5);  // height decides
    EXPECT_EQ(fitting_point_size(9, 6, QSize(749, 700), window_at), 7);     // width decides
    EXPECT_EQ(fitting_point_size(9, 6, QSize(700, 490), window_at), 7);     // exactly
    EXPECT_EQ(fitting_point_size(9, 6, QSize(100, 100), window_at), 6);     // never below
    EXPECT_EQ(fitting_point_size(9, 6, QSize(0, 0), window_at), 6);
}

TEST(MainWindowLayout, CommandButtonsShowTheirWholeIconAtTheNormalFont) {
    test::ensure_app();
    const BaseUnits base = base_units(dialog_font());
    const QRect button = du_rect(base, main_window_layout::kConnectButton);
    EXPECT_EQ(fitted_icon_size(EdgeRect::from(QRect(QPoint(), button.size())), QSize(32, 32)),
              QSize(32, 32))
        << button.height();
}

TEST(FileIconCache, KeysAreLowerCasedAndGrowByOnePerNewName) {
    test::ensure_app();
    FileIconCache cache;
    EXPECT_EQ(cache.size(), 2);
    EXPECT_EQ(cache.image_index(QStringLiteral("*")), FileIconCache::kDocumentIndex);
    EXPECT_EQ(cache.image_index(QStringLiteral(".")), FileIconCache::kFolderIndex);
    EXPECT_EQ(cache.add_resource_icon(Icon::Program, QStringLiteral("***")), 2);
    const int upper = cache.image_index(QStringLiteral("A.BMP"));
    EXPECT_EQ(upper, 3);
    EXPECT_EQ(cache.image_index(QStringLiteral("a.bmp")), upper);
    EXPECT_EQ(cache.image_index(QStringLiteral("b.bmp")), 4);
    EXPECT_EQ(cache.size(), 5);
    EXPECT_FALSE(cache.icon(upper).isNull());
    EXPECT_FALSE(cache.icon(99).isNull());  // out of range: the document icon
    cache.reset();
    EXPECT_EQ(cache.size(), 2);
}

TEST(FolderScan, ListsVisibleFoldersSortedWithTheirExpandHint) {
    char tmpl[] = "/tmp/zemlo-scan-XXXXXX";
    const std::filesystem::path dir = ::mkdtemp(tmpl);
    // A folder whose name is not UTF-8 ("caf\xe9", Latin-1) is shown escaped and kept as bytes.
    for (const char *sub : {"b", "A", ".hidden", "c/d", "Ab", "caf\xe9"}) {
        std::filesystem::create_directories(dir / sub);
    }
    QFile(QString::fromStdString((dir / "file.txt").string())).open(QIODevice::WriteOnly);
    std::filesystem::create_directory_symlink(dir / "c", dir / "link");
    const auto nodes = subfolders(dir.string());
    QStringList names;
    for (const auto &n : nodes) {
        names << n.name;
    }
    EXPECT_EQ(names, (QStringList() << "A"
                                    << "Ab"
                                    << "b"
                                    << "c"
                                    << "caf\\xe9"
                                    << "link"));
    EXPECT_FALSE(nodes[0].has_subfolders);
    EXPECT_TRUE(nodes[3].has_subfolders);
    EXPECT_EQ(nodes[3].path, (dir / "c").string());
    EXPECT_EQ(nodes[4].path, dir.string() + "/caf\xe9");
    EXPECT_TRUE(subfolders((dir / "missing").string()).empty());
    std::filesystem::remove_all(dir);

    const auto places = top_level_places();
    ASSERT_FALSE(places.empty());
    EXPECT_EQ(places[0].path, qgetenv("HOME").toStdString());
    EXPECT_TRUE(std::any_of(places.begin(), places.end(),
                            [](const FolderNode &n) { return n.path == "/"; }));
}

TEST(PortDialog, ShowsEachPortsDeviceAndGivesBackTheChoice) {
    test::ensure_app();
    EXPECT_EQ(default_port_device(3), QStringLiteral("/dev/ttyS2"));
    const BaseUnits base{6, 12};
    PortDialog dialog(base, 3, {{5, "/dev/ttyUSB1"}},
                      {{QStringLiteral("/dev/ttyACM0"), QStringLiteral("/dev/ttyACM0")}}, nullptr);
    EXPECT_EQ(dialog.port_box()->count(), 11);
    EXPECT_EQ(dialog.port_box()->currentText(), QStringLiteral("COM3"));
    EXPECT_EQ(dialog.chosen_port(), 3u);
    EXPECT_EQ(dialog.chosen_device(), "");  // the default device
    EXPECT_TRUE(dialog.device_box()->currentText().startsWith(QStringLiteral("/dev/ttyS2")));
    dialog.port_box()->setCurrentIndex(4);  // COM5 shows its mapping, even if not detected now
    EXPECT_EQ(dialog.chosen_device(), "/dev/ttyUSB1");
    dialog.device_box()->setCurrentText(QStringLiteral("/dev/ttyACM0"));
    EXPECT_EQ(dialog.chosen_port(), 5u);
    EXPECT_EQ(dialog.chosen_device(), "/dev/ttyACM0");
}

TEST(SerialDeviceList, AnAdapterIsListedOnceUnderItsByIdNameWithItsTtyBeside) {
    EXPECT_EQ(serial_device_label(QStringLiteral("/a/link"), QStringLiteral("/dev/ttyUSB0")),
              QStringLiteral("/a/link (/dev/ttyUSB0)"));
    EXPECT_EQ(serial_device_label(QStringLiteral("/dev/ttyS0"), QStringLiteral("/dev/ttyS0")),
              QStringLiteral("/dev/ttyS0"));
    EXPECT_EQ(serial_device_label(QStringLiteral("/a/gone"), QString()), QStringLiteral("/a/gone"));

    // A stand-in for /dev: two ttys, a by-id link to one of them and a link whose adapter is gone.
    char tmpl[] = "/tmp/zemlo-byid-XXXXXX";
    const std::filesystem::path dir = ::mkdtemp(tmpl);
    std::filesystem::create_directories(dir / "by-id");
    for (const char *tty : {"ttyUSB0", "ttyS0"}) {
        QFile f(QString::fromStdString((dir / tty).string()));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    std::filesystem::create_symlink("../ttyUSB0", dir / "by-id" / "usb-Maker_Cable_42-if00-port0");
    std::filesystem::create_symlink("../ttyUSB9", dir / "by-id" / "usb-Gone-if00-port0");
    const auto q = [&](const std::filesystem::path &p) {
        return QString::fromStdString(p.string());
    };
    const QString link = q(dir / "by-id" / "usb-Maker_Cable_42-if00-port0");
    const QString gone = q(dir / "by-id" / "usb-Gone-if00-port0");
    const QString usb0 = q(dir / "ttyUSB0");
    const QString s0 = q(dir / "ttyS0");

    const QList<SerialDevice> found =
        serial_devices(q(dir / "by-id"), {usb0, s0, link, q(dir / "missing")});
    ASSERT_EQ(found.size(), 4);
    EXPECT_EQ(found[0].path, gone);  // by name; the dangling link has no tty to show
    EXPECT_EQ(found[0].label, gone);
    EXPECT_EQ(found[1].path, link);
    EXPECT_EQ(found[1].label, link + QStringLiteral(" (") + usb0 + QStringLiteral(")"));
    EXPECT_EQ(found[2].path, s0);  // ttyUSB0 and the link itself are not listed again
    EXPECT_EQ(found[3].path, q(dir / "missing"));
    EXPECT_TRUE(serial_devices(q(dir / "no-such-folder"), {s0}).size() == 1);

    // The dialog shows the label and gives back the by-id path, also for a stored mapping.
    test::ensure_app();
    const BaseUnits base{6, 12};
    PortDialog dialog(base, 2, {{4, link.toStdString()}}, found, nullptr);
    dialog.device_box()->setCurrentText(found[1].label);
    EXPECT_EQ(dialog.chosen_device(), link.toStdString());
    dialog.port_box()->setCurrentIndex(3);  // COM4: its mapping is shown with both names
    EXPECT_EQ(dialog.device_box()->currentText(), found[1].label);
    EXPECT_EQ(dialog.chosen_device(), link.toStdString());
    EXPECT_EQ(dialog.device_box()->count(), 5);  // the default and the four, nothing added
    std::filesystem::remove_all(dir);
}

// A stand-in for the system's tty folder: each tty a folder with its uevent, and, where hardware
// is behind it, a device folder with a link to its driver.
void add_tty(const std::filesystem::path &root, const std::string &entry, const std::string &uevent,
             const std::string &driver) {
    const auto dir = root / "class" / entry;
    std::filesystem::create_directories(dir);
    if (!uevent.empty()) {
        std::ofstream(dir / "uevent") << uevent;
    }
    if (driver.empty()) {
        return;
    }
    std::filesystem::create_directories(dir / "device");
    std::filesystem::create_directories(root / "drivers" / driver);
    std::filesystem::create_directory_symlink(root / "drivers" / driver, dir / "device" / "driver");
}

TEST(SerialPortScan, TtysWithHardwareOrOfTheDevicelessKindsAndOnlyStandardPortsThatAnswer) {
    char tmpl[] = "/tmp/zemlo-ttys-XXXXXX";
    const std::filesystem::path root = ::mkdtemp(tmpl);
    add_tty(root, "ttyUSB0", "MAJOR=188\nMINOR=0\nDEVNAME=ttyUSB0\n", "ftdi_sio");
    add_tty(root, "ttyACM0", "DEVNAME=ttyACM0", "cdc_acm");  // no newline at the end
    add_tty(root, "ttyS0", "DEVNAME=ttyS0\n", "serial8250");
    add_tty(root, "ttyS1", "DEVNAME=ttyS1\n", "serial8250");  // a placeholder: no chip answers
    add_tty(root, "ttyS4", "DEVNAME=ttyS4\n", "port");        // a port of another driver
    add_tty(root, "tty1", "DEVNAME=tty1\n", "");              // a virtual terminal
    add_tty(root, "ptmx", "DEVNAME=ptmx\n", "");
    add_tty(root, "rfcomm3", "DEVNAME=rfcomm3\n", "");
    add_tty(root, "rfcomm256", "DEVNAME=rfcomm256\n", "");
    add_tty(root, "rfcommX", "DEVNAME=rfcommX\n", "");
    add_tty(root, "tnt0", "DEVNAME=tnt0\n", "");
    add_tty(root, "ttyGS0", "DEVNAME=ttyGS0\n", "");
    add_tty(root, "ttyUSB7", "", "ftdi_sio");  // no device node named
    add_tty(root, "renamed", "DEVNAME=bus/ttyX\n", "ftdi_sio");
    const auto q = [](const std::filesystem::path &p) {
        return QString::fromStdString(p.string());
    };
    QStringList asked;
    const QStringList found =
        serial_ports_in(q(root / "class"), QStringLiteral("/dev"), [&](const QString &device) {
            asked << device;
            return device == QStringLiteral("/dev/ttyS0");
        });
    EXPECT_EQ(found, (QStringList{"/dev/bus/ttyX", "/dev/rfcomm3", "/dev/tnt0", "/dev/ttyACM0",
                                  "/dev/ttyGS0", "/dev/ttyS0", "/dev/ttyS4", "/dev/ttyUSB0"}));
    // Only the standard ports are opened to ask: opening any other could disturb its device.
    EXPECT_EQ(asked, (QStringList{"/dev/ttyS0", "/dev/ttyS1"}));

    // Without the tty folder, the device nodes with serial names.
    std::filesystem::create_directories(root / "dev");
    for (const char *node : {"ttyS0", "ttyUSB1", "tty5", "rfcomm0", "console"}) {
        std::ofstream(root / "dev" / node) << "";
    }
    std::filesystem::create_symlink(root / "dev" / "ttyS0", root / "dev" / "ttyS9");
    EXPECT_EQ(
        serial_ports_in(q(root / "none"), q(root / "dev"), [](const QString &) { return true; }),
        (QStringList{q(root / "dev" / "rfcomm0"), q(root / "dev" / "ttyS0"),
                     q(root / "dev" / "ttyUSB1")}));
    std::filesystem::remove_all(root);
}

TEST(SerialPortScan, FindsWhatTheSerialPortLibraryFindsOnThisMachine) {
    QStringList expected;
    for (const QSerialPortInfo &info : QSerialPortInfo::availablePorts()) {
        expected << info.systemLocation();
    }
    QStringList found = system_serial_ports();
    expected.sort();
    found.sort();
    EXPECT_EQ(found, expected);
}

// The process's end waits for the folder reads still running (they use the toolkit, whose
// globals go with the process), but only for a while: a read stuck on a dead mount must not hold
// the end. A read whose owner is gone ends and is counted out, its result dropped.
TEST(BackgroundScan, TheEndWaitsForReadsStillRunningButNotForEver) {
    test::ensure_app();
    std::mutex lock;
    std::condition_variable changed;
    bool release = false;
    bool result_used = false;
    auto scan = std::make_unique<BackgroundScan>();
    scan->run([&]() -> std::function<void()> {
        std::unique_lock held(lock);
        changed.wait(held, [&] { return release; });
        return [&result_used] { result_used = true; };
    });
    EXPECT_FALSE(BackgroundScan::wait_for_reads(std::chrono::milliseconds(20)));
    scan.reset();
    {
        const std::lock_guard held(lock);
        release = true;
    }
    changed.notify_all();
    EXPECT_TRUE(BackgroundScan::wait_for_reads(std::chrono::seconds(30)));
    QCoreApplication::processEvents();
    EXPECT_FALSE(result_used);
}

}  // namespace
}  // namespace zemlo::shell
