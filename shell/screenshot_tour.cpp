// Renders the program's windows into PNG files for people to look at: the main window with the
// picture panel (a sample picture chosen, then framed by hand) and with the melody panel, the wait
// window in the middle of a download, the about box and the port dialog. Nothing talks to a
// handset. Usage: zemlo-screens OUTPUT_DIR (in the language the program would choose: ZEMLO_LANG=en
// for English)
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QLineEdit>
#include <QLinearGradient>
#include <QMessageBox>
#include <QPainter>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidget>
#include <QWindow>
#include <chrono>
#include <cstdio>
#include <memory>
#include <utility>
#include <vector>

#include "about_dialog.h"
#include "background_scan.h"
#include "box_captions.h"
#include "dialog_units.h"
#include "file_list_view.h"
#include "frame_animation_static.h"
#include "main_window.h"
#include "melody_panel.h"
#include "message_boxes.h"
#include "messages.h"
#include "notice_boxes.h"
#include "picture_panel.h"
#include "port_dialog.h"
#include "profile.h"
#include "translation_catalogue.h"
#include "wait_window.h"

namespace {

using zemlo::shell::MainWindow;
constexpr int kMapWaitMs = 2000;

void save(QWidget &w, const QString &dir, const QString &name) {
    QApplication::processEvents();
    const QString path = dir + QLatin1Char('/') + name;
    if (!w.grab().save(path)) {
        std::fprintf(stderr, "zemlo-screens: cannot write %s\n", qPrintable(path));
    } else {
        std::printf("%s\n", qPrintable(path));
    }
}

void make_samples(const QString &dir) {
    QImage picture(200, 150, QImage::Format_RGB32);
    QPainter p(&picture);
    QLinearGradient g(0, 0, 200, 150);
    g.setColorAt(0, QColor(255, 200, 40));
    g.setColorAt(1, QColor(30, 90, 200));
    p.fillRect(picture.rect(), g);
    p.setBrush(Qt::white);
    p.drawEllipse(QPoint(100, 75), 40, 40);
    p.end();
    picture.save(dir + QStringLiteral("/sunset.bmp"));
    picture.scaled(100, 160).save(dir + QStringLiteral("/portrait.jpg"));
    QFile midi(dir + QStringLiteral("/ring.mid"));
    if (midi.open(QIODevice::WriteOnly)) {
        const char bytes[] =
            "MThd\0\0\0\6\0\0\0\1\0\x60MTrk\0\0\0\x0c\0\x90\x3c\x40\x60\x80\x3c\0\0\xff\x2f\0";
        midi.write(bytes, sizeof bytes - 1);
    }
}

}  // namespace

int main(int argc, char **argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: zemlo-screens OUTPUT_DIR\n");
        return 2;
    }
    QTemporaryDir home;
    qputenv("HOME", home.path().toLocal8Bit());
    QApplication app(argc, argv);
    QApplication::setFont(zemlo::shell::dialog_font());
    using namespace zemlo::i18n;
    if (!use_language(choose_ui_language(locale_variables_from_environment()))) {
        std::fprintf(stderr, "zemlo-screens: the English texts could not be loaded\n");
        return 1;
    }
    const QString out = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(out);
    make_samples(home.path());

    zemlo::app::MemoryProfile profile;
    zemlo::shell::WindowHooks hooks;
    // The boxes the window asks for are kept and shown at the end, each for its own picture.
    std::vector<zemlo::app::MessageBoxDetails> asked;
    hooks.box = [&asked](const zemlo::app::MessageBoxDetails &box, QWidget *) {
        asked.push_back(box);
        return zemlo::app::BoxAnswer::Ok;
    };
    MainWindow window(profile, QCoreApplication::applicationDirPath().toStdString(), hooks);
    window.initialise();
    window.show();
    while (!window.browser_ready()) {
        QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    QApplication::processEvents();

    // A picture chosen, the name typed.
    auto *list = window.parts().pc_list;
    for (int row = 0; row < list->topLevelItemCount(); ++row) {
        if (list->topLevelItem(row)->text(0) == QStringLiteral("sunset.bmp")) {
            list->select_row(row);
            emit list->row_chosen(row);
        }
    }
    // The picture is read on the panel's own thread: shown once it is.
    zemlo::shell::PicturePanel &picture_panel = *window.parts().picture_panel;
    while (!picture_panel.settled()) {
        QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    window.parts().name_box->setText(QStringLiteral("sunset"));
    // How the window looks once a handset is connected (its state set directly: no handset here).
    window.values().connected.store(true);
    window.set_buttons(zemlo::app::button_states(true, true));
    window.set_connection_text(zemlo::app::connection_text(3, true), true);
    window.set_space(432128, 301056);
    window.show_handset_rows({{"logo.bmp", "31232", 0}, {"cat.bmp", "31232", 1}});
    window.set_status_line(zemlo::app::render(zemlo::app::MessageId::ConnectDone));
    save(window, out, QStringLiteral("main-picture.png"));
    // The whole screen as well: whether the window fits on it at this scale.
    if (QScreen *screen = window.screen()) {
        const QString path = out + QStringLiteral("/main-on-screen.png");
        if (screen->grabWindow(0).save(path)) {
            std::printf("%s (%dx%d on %dx%d)\n", qPrintable(path), window.frameGeometry().width(),
                        window.frameGeometry().height(), screen->availableGeometry().width(),
                        screen->availableGeometry().height());
        }
    }
    // The same picture covering the screen, zoomed in by hand and moved to one side.
    picture_panel.effect_box()->setCurrentIndex(2);
    picture_panel.zoom(zemlo::shell::PicturePanel::kZoomStep *
                       zemlo::shell::PicturePanel::kZoomStep);
    picture_panel.move_photo(QPointF(20, 0));
    while (!picture_panel.settled()) {
        QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    picture_panel.area()->setFocus();
    save(window, out, QStringLiteral("main-picture-framed.png"));
    picture_panel.reset_frame();
    picture_panel.effect_box()->setCurrentIndex(0);

    window.values().connected.store(false);
    window.set_buttons(zemlo::app::button_states(false, true));
    window.set_connection_text(zemlo::app::connection_text(3, false), false);
    window.set_space(0, 0);
    window.show_handset_rows({});
    window.set_status_line("");

    window.parts().file_type_box->setCurrentIndex(1);
    if (list->topLevelItemCount() > 0) {
        list->select_row(0);
        emit list->row_chosen(0);
    }
    save(window, out, QStringLiteral("main-melody.png"));
    window.parts().file_type_box->setCurrentIndex(0);

    // The wait window as a download shows it.
    zemlo::shell::WaitWindow &wait = *window.parts().wait_window;
    using zemlo::app::MessageId;
    using zemlo::app::ReportLevel;
    wait.report({ReportLevel::Progress, {MessageId::StartingDownload}, 65, {}}, false);
    for (int i = 1; i <= 20; ++i) {
        wait.report({ReportLevel::Progress, {MessageId::SendingPacket, {std::to_string(i)}}, 0, {}},
                    false);
    }
    wait.animation()->tick();
    save(wait, out, QStringLiteral("wait-window.png"));
    wait.report({}, false);

    // And as a download of several shows it: the file of how many, by a name too long to fit.
    const std::string long_name = "2024-07-14 harbour at dusk, from the lighthouse (edited).jpg";
    wait.report({ReportLevel::Progress,
                 {MessageId::BatchStep,
                  {"2", "3", long_name, zemlo::app::render(MessageId::StartingDownload)}},
                 65,
                 {}},
                false);
    for (int i = 1; i <= 20; ++i) {
        wait.report({ReportLevel::Progress,
                     {MessageId::BatchStep,
                      {"2", "3", long_name,
                       zemlo::app::render(MessageId::SendingPacket, {std::to_string(i)})}},
                     0,
                     {}},
                    false);
    }
    wait.animation()->tick();
    save(wait, out, QStringLiteral("wait-window-batch.png"));
    wait.report({}, false);

    zemlo::shell::AboutDialog about(window.base(), &window);
    about.show();
    save(about, out, QStringLiteral("about-box.png"));
    about.hide();

    const QString adapter = QStringLiteral("/dev/serial/by-id/usb-Data_Cable_0001-if00-port0");
    zemlo::shell::PortDialog port(
        window.base(), 3, {{3, adapter.toStdString()}},
        {{adapter, zemlo::shell::serial_device_label(adapter, QStringLiteral("/dev/ttyUSB0"))},
         {QStringLiteral("/dev/ttyACM0"), QStringLiteral("/dev/ttyACM0")}},
        &window);
    port.show();
    save(port, out, QStringLiteral("port-dialog.png"));
    port.hide();

    // The boxes: a question, an error of the window and one of the link, the end of a format,
    // a melody that cannot be played and a file from outside that cannot be opened. Each also on
    // the whole screen, with the window manager's title bar over it.
    using zemlo::app::ErrorSource;
    using zemlo::app::MessageBoxDetails;
    std::vector<std::pair<MessageBoxDetails, QString>> boxes = {
        {zemlo::shell::question_box({zemlo::app::Question::ConfirmDownload,
                                     (home.path() + QStringLiteral("/sunset.bmp")).toStdString(),
                                     "sunset.bmp"}),
         QStringLiteral("box-question")},
        {zemlo::shell::error_box({{MessageId::ConvertPictureFailed}, ErrorSource::Window, {}}),
         QStringLiteral("box-error")},
        {zemlo::shell::error_box({{MessageId::PortCannotOpenBecause, {"no such device /dev/ttyS4"}},
                                  ErrorSource::Link,
                                  {}}),
         QStringLiteral("box-link-error")}};
    boxes.push_back(
        {zemlo::shell::window_box(zemlo::app::render(MessageId::FormatDone),
                                  zemlo::shell::notice_box_caption(MessageId::FormatDone),
                                  zemlo::app::BoxIcon::Information),
         QStringLiteral("box-formatted")});
    // The summary of a download of several that a handset event stopped.
    const std::string folder = home.path().toStdString() + "/";
    const std::string event = zemlo::app::render(MessageId::EventIncomingCall);
    const std::string lines =
        zemlo::app::render(MessageId::BatchLine, {folder + "sunset.bmp", "sunset.bmp",
                                                  zemlo::app::render(MessageId::DownloadSaved,
                                                                     {folder + "sunset.bmp"})}) +
        "\n" +
        zemlo::app::render(MessageId::BatchLine, {folder + "harbour.jpg", "harbour.bmp",
                                                  zemlo::app::render(MessageId::BatchUnfinished)}) +
        "\n" +
        zemlo::app::render(MessageId::BatchLine,
                           {folder + "beach.jpg", "beach.bmp",
                            zemlo::app::render(MessageId::BatchNotSent, {event})});
    boxes.push_back(
        {zemlo::shell::window_box(zemlo::app::render(MessageId::BatchSummary, {"1", "3", lines}),
                                  zemlo::app::render(MessageId::CaptionConfirm),
                                  zemlo::app::BoxIcon::Information),
         QStringLiteral("box-batch-summary")});
    asked.clear();
    window.parts().melody_panel->set_melody_source(
        (home.path() + QStringLiteral("/sunset.bmp")).toStdString());
    window.parts().melody_panel->play();
    window.open_outside_file((home.path() + QStringLiteral("/notes.txt")).toStdString());
    for (size_t i = 0; i < asked.size(); ++i) {
        boxes.push_back({asked[i], QStringLiteral("box-window-%1").arg(i + 1)});
    }
    for (const auto &[details, name] : boxes) {
        const std::unique_ptr<QMessageBox> box = zemlo::shell::make_message_box(details, &window);
        box->show();
        save(*box, out, name + QStringLiteral(".png"));
        // Once the window manager has put it on the screen with its title bar.
        QElapsedTimer clock;
        clock.start();
        while ((box->windowHandle() == nullptr || !box->windowHandle()->isExposed()) &&
               clock.elapsed() < kMapWaitMs) {
            QApplication::processEvents(QEventLoop::WaitForMoreEvents, kMapWaitMs);
        }
        if (QScreen *screen = box->screen()) {
            QApplication::processEvents();
            screen->grabWindow(0).save(out + QLatin1Char('/') + name +
                                       QStringLiteral("-on-screen.png"));
        }
        box->hide();
    }
    window.close();
    // The folder reads still running use the toolkit's globals, which go with the process.
    zemlo::shell::BackgroundScan::wait_for_reads(std::chrono::seconds(30));
    return 0;
}
