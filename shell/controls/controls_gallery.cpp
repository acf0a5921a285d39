// Renders every control in a few states into PNG sheets, so that anyone can look at them.
// Usage: controls-gallery <output folder>   (run with QT_QPA_PLATFORM=offscreen)

#include "artwork.h"
#include "control_tool_tip.h"
#include "frame_animation_static.h"
#include "icon_button.h"
#include "link_state_icon.h"
#include "shaded_slider.h"
#include "space_gauge.h"

#include <QApplication>
#include <QDir>
#include <QFont>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>

#include <atomic>
#include <cstdio>
#include <vector>

using namespace zemlo::shell;

namespace {

constexpr int kMargin = 8;
constexpr int kLabelWidth = 150;
constexpr int kZoom = 3;
const QColor kSheetColour(212, 208, 200);

// The sizes the main window and the melody panel give these controls at 9 pt.
const QSize kCommandButton(121, 28);
const QSize kPanelButton(40, 36);
const QSize kSlider(145, 32);
const QSize kGauge(554, 18);
const QSize kLinkState(110, 20);

struct Row {
    QString label;
    std::vector<QPixmap> shots;
};

QPixmap sheet(const std::vector<Row> &rows, int zoom = 1) {
    int width = 0;
    int height = kMargin;
    for (const Row &row : rows) {
        int w = kLabelWidth;
        int h = QFontMetrics(QApplication::font()).height();
        for (const QPixmap &shot : row.shots) {
            w += shot.width() * zoom + kMargin;
            h = std::max(h, shot.height() * zoom);
        }
        width = std::max(width, w + kMargin);
        height += h + kMargin;
    }
    QPixmap out(width, height);
    out.fill(kSheetColour);
    QPainter p(&out);
    int y = kMargin;
    for (const Row &row : rows) {
        int h = QFontMetrics(QApplication::font()).height();
        for (const QPixmap &shot : row.shots) {
            h = std::max(h, shot.height() * zoom);
        }
        p.setPen(Qt::black);
        p.drawText(QRect(kMargin, y, kLabelWidth - kMargin, h), Qt::AlignVCenter, row.label);
        int x = kLabelWidth;
        for (const QPixmap &shot : row.shots) {
            p.drawPixmap(QRect(x, y, shot.width() * zoom, shot.height() * zoom), shot);
            x += shot.width() * zoom + kMargin;
        }
        y += h + kMargin;
    }
    return out;
}

bool save(const QPixmap &pixmap, const QString &folder, const QString &name) {
    const QString path = folder + QLatin1Char('/') + name;
    if (!pixmap.save(path)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s\n", qPrintable(path));
    return true;
}

void hover(QWidget *w) {
    const QPointF at(w->width() / 2.0, w->height() / 2.0);
    QEnterEvent enter(at, w->mapToGlobal(at), w->mapToGlobal(at));
    QApplication::sendEvent(w, &enter);
}

enum class Look { Normal, Over, Pressed, Disabled, KeyboardFocus };

QPixmap button_shot(const QString &caption, Icon icon, QSize size, Look look) {
    QWidget host;
    host.resize(size);
    IconButton button(caption, &host);
    button.resize(size);
    button.set_icon(icon, 32);
    host.show();
    if (look == Look::Over) {
        hover(&button);
    } else if (look == Look::Pressed) {
        hover(&button);
        button.setDown(true);
    } else if (look == Look::Disabled) {
        button.setEnabled(false);
    } else if (look == Look::KeyboardFocus) {
        host.activateWindow();
        QApplication::processEvents();
        button.clearFocus();
        button.setFocus(Qt::TabFocusReason);
    }
    return button.grab();
}

std::vector<QPixmap> button_looks(const QString &caption, Icon icon, QSize size) {
    return {button_shot(caption, icon, size, Look::Normal),
            button_shot(caption, icon, size, Look::Over),
            button_shot(caption, icon, size, Look::Pressed),
            button_shot(caption, icon, size, Look::Disabled),
            button_shot(caption, icon, size, Look::KeyboardFocus)};
}

QPixmap slider_shot(const QColor &face, int value, bool pressed, bool enabled) {
    ShadedSlider slider;
    slider.resize(kSlider);
    slider.setRange(0, 100);
    slider.setValue(value);
    slider.set_channel_colour(QColor(196, 196, 255));
    slider.set_selection_colour(QColor(64, 64, 255));
    if (face.isValid()) {
        slider.set_face_colour(face);
    }
    slider.setSliderDown(pressed);
    slider.setEnabled(enabled);
    return slider.grab();
}

QPixmap gauge_shot(bool shown, int total, int free) {
    SpaceGauge gauge;
    gauge.setText(QStringLiteral("45%"));
    gauge.resize(kGauge);
    if (shown) {
        gauge.set_space(true, total, free);
    }
    return gauge.grab();
}

QPixmap tip_shot(const QString &text) {
    QWidget control;
    control.resize(kGauge);
    ControlToolTip tip(&control, text);
    return tip.grab();
}

QPixmap link_shot(bool connected) {
    std::atomic<bool> flag{connected};
    LinkStateIcon icon;
    icon.setText(connected ? QStringLiteral("   COM3已连接") : QStringLiteral("   COM3未连接"));
    icon.set_connected_flag(&flag);
    icon.resize(kLinkState);
    return icon.grab();
}

}  // namespace

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    QApplication::setFont(QFont(QStringLiteral("WenQuanYi Micro Hei"), 9));
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
    QDir().mkpath(folder);

    // Each button row: normal, pointer over, pressed, disabled, focused from the keyboard.
    std::vector<Row> buttons = {
        {QStringLiteral("连接"),
         button_looks(QStringLiteral("连接"), Icon::Connect, kCommandButton)},
        {QStringLiteral("下载"),
         button_looks(QStringLiteral("下载"), Icon::Download, kCommandButton)},
        {QStringLiteral("重命名"),
         button_looks(QStringLiteral("重命名"), Icon::Rename, kCommandButton)},
        {QStringLiteral("删除"),
         button_looks(QStringLiteral("删除"), Icon::Delete, kCommandButton)},
        {QStringLiteral("断开"),
         button_looks(QStringLiteral("断开"), Icon::Disconnect, kCommandButton)},
        {QStringLiteral("play (no caption)"), button_looks({}, Icon::Play, kPanelButton)},
        {QStringLiteral("stop (no caption)"), button_looks({}, Icon::Stop, kPanelButton)},
    };
    std::vector<Row> sliders = {
        {QStringLiteral("default face, 0/40/100"),
         {slider_shot({}, 0, false, true), slider_shot({}, 40, false, true),
          slider_shot({}, 100, false, true)}},
        {QStringLiteral("pressed / disabled"),
         {slider_shot({}, 40, true, true), slider_shot({}, 40, false, false)}},
        {QStringLiteral("faces 220,40,128"),
         {slider_shot(QColor(220, 220, 220), 60, false, true),
          slider_shot(QColor(40, 40, 40), 60, false, true),
          slider_shot(QColor(128, 160, 220), 60, false, true)}},
    };
    std::vector<Row> gauges = {
        {QStringLiteral("before any update"), {gauge_shot(false, 0, 0)}},
        {QStringLiteral("not connected"), {gauge_shot(true, 0, 0)}},
        {QStringLiteral("1000 / 250 free"), {gauge_shot(true, 1000, 250)}},
        {QStringLiteral("1000 / 900 free"), {gauge_shot(true, 1000, 900)}},
        {QStringLiteral("full"), {gauge_shot(true, 1000, 0)}},
        {QStringLiteral("tooltip"),
         {tip_shot(QStringLiteral("已用空间:750字节,剩余空间:250字节")),
          tip_shot(QStringLiteral("(未连接)")),
          tip_shot(QStringLiteral("two lines\n第二行 longer"))}},
        {QStringLiteral("link state"), {link_shot(false), link_shot(true)}},
    };

    std::vector<Row> icons;
    for (const IconArt &art : kIconArtwork) {
        const QSize natural = icon_natural_size(art.icon);
        const QIcon icon = load_icon(art.icon);
        icons.push_back({QStringLiteral("icon %1").arg(art.file_number),
                         {icon.pixmap(natural), icon.pixmap(natural * 2)}});
    }

    FrameAnimationStatic animation;
    animation.resize(360, 44);
    std::vector<Row> frames;
    for (int i = 0; i < 20; ++i) {
        animation.tick();
        frames.push_back({QStringLiteral("tick %1").arg(i + 1), {animation.grab()}});
    }

    bool ok = save(sheet(buttons), folder, QStringLiteral("icon_buttons.png")) &&
              save(sheet(buttons, kZoom), folder, QStringLiteral("icon_buttons_x3.png")) &&
              save(sheet(sliders), folder, QStringLiteral("shaded_slider.png")) &&
              save(sheet(sliders, kZoom), folder, QStringLiteral("shaded_slider_x3.png")) &&
              save(sheet(gauges), folder, QStringLiteral("status_indicators.png")) &&
              save(sheet(icons), folder, QStringLiteral("icons.png")) &&
              save(sheet(frames), folder, QStringLiteral("wait_animation.png"));
    return ok ? 0 : 1;
}
