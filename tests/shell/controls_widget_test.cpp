#include "animation_frames.h"
#include "control_tool_tip.h"
#include "focus_cue.h"
#include "frame_animation_static.h"
#include "icon_button.h"
#include "icon_button_layout.h"
#include "link_state_icon.h"
#include "shade_math.h"
#include "shaded_slider.h"
#include "slider_geometry.h"
#include "space_gauge.h"

#include "offscreen_app.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QApplication>
#include <QEnterEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPixmap>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>

namespace zemlo::shell {
namespace {

using test::render;

const QColor kFace(200, 200, 200);
const QColor kLight(255, 255, 0);
const QColor kDark(0, 0, 128);
const QColor kIconColour(255, 0, 255);
const QColor kHighlight(0, 160, 0);
const QSize kButtonSize(100, 30);

QColor at(const QImage &img, int x, int y) {
    return QColor(img.pixel(x, y));
}

class Controls : public ::testing::Test {
  protected:
    void SetUp() override {
        QPalette pal = host.palette();
        pal.setColor(QPalette::Button, kFace);
        pal.setColor(QPalette::Light, kLight);
        pal.setColor(QPalette::Dark, kDark);
        pal.setColor(QPalette::Highlight, kHighlight);
        host.setPalette(pal);
        host.resize(600, 100);
    }

    IconButton *button(const QString &caption) {
        auto *b = new IconButton(caption, &host);
        b->resize(kButtonSize);
        QPixmap square(8, 8);
        square.fill(kIconColour);
        b->set_icon_images(QIcon(square), QIcon(), QSize(8, 8));
        return b;
    }

    static void hover(QWidget *w) {
        const QPointF p(5, 5);
        QEnterEvent enter(p, w->mapToGlobal(p), w->mapToGlobal(p));
        QApplication::sendEvent(w, &enter);
    }

    // Shows the host as the active window, so that focus changes really happen.
    void activate() {
        host.show();
        host.activateWindow();
        QApplication::processEvents();
    }

    static void key(QWidget *w, int k) {
        QKeyEvent press(QEvent::KeyPress, k, Qt::NoModifier);
        QApplication::sendEvent(w, &press);
        QKeyEvent release(QEvent::KeyRelease, k, Qt::NoModifier);
        QApplication::sendEvent(w, &release);
    }

    test::AppGuard app;
    QWidget host;
};

TEST_F(Controls, ButtonFrameIsRaisedWhenOverSunkenWhenPressedNoneOtherwise) {
    IconButton *b = button({});
    const int r = kButtonSize.width();
    const int bottom = kButtonSize.height();

    QImage img = render(*b);
    EXPECT_EQ(at(img, 0, 0), kFace);
    EXPECT_EQ(at(img, r - 1, bottom - 1), kFace);

    hover(b);
    ASSERT_TRUE(b->mouse_over());
    img = render(*b);
    EXPECT_EQ(at(img, 0, 0), kLight);
    EXPECT_EQ(at(img, 0, bottom - 2), kLight);
    EXPECT_EQ(at(img, r - 2, 0), kLight);
    EXPECT_EQ(at(img, 0, bottom - 1), kDark);  // the lower line is drawn last
    EXPECT_EQ(at(img, r - 1, 0), kDark);
    EXPECT_EQ(at(img, r - 1, bottom - 1), kDark);
    EXPECT_EQ(at(img, 1, 1), kFace);

    b->setDown(true);
    img = render(*b);
    EXPECT_EQ(at(img, 0, 0), kDark);
    EXPECT_EQ(at(img, r - 2, 0), kDark);
    EXPECT_EQ(at(img, 0, bottom - 1), kLight);
    EXPECT_EQ(at(img, r - 1, 0), kLight);
    EXPECT_EQ(at(img, r - 1, bottom - 1), kLight);
}

TEST_F(Controls, ButtonIconPlacementAndPressedOffset) {
    IconButton *bare = button({});
    QImage img = render(*bare);
    const int x = (kButtonSize.width() - 8) / 2;
    const int y = (kButtonSize.height() - 8) / 2;
    EXPECT_EQ(at(img, x, y), kIconColour);
    EXPECT_EQ(at(img, x - 1, y), kFace);
    EXPECT_EQ(at(img, x + 7, y + 7), kIconColour);

    bare->setDown(true);
    img = render(*bare);
    EXPECT_EQ(at(img, x, y), kFace);
    EXPECT_EQ(at(img, x + 1, y + 1), kIconColour);

    IconButton *captioned = button(QStringLiteral("下载"));
    img = render(*captioned);
    EXPECT_EQ(at(img, 3, y), kIconColour);
    EXPECT_EQ(at(img, 2, y), kFace);

    captioned->setEnabled(false);
    img = render(*captioned);
    EXPECT_NE(at(img, 3, y), kIconColour);
}

TEST_F(Controls, ButtonCaptionIsCentredBesideTheIcon) {
    IconButton *b = button(QStringLiteral("删除"));
    const QImage img = render(*b);
    // Caption pixels lie right of the icon (x >= 3 + 8 + 3) and nowhere left of it.
    int min_x = kButtonSize.width();
    for (int yy = 1; yy < kButtonSize.height() - 1; ++yy) {
        for (int xx = 12; xx < kButtonSize.width() - 1; ++xx) {
            if (at(img, xx, yy) != kFace) {
                min_x = std::min(min_x, xx);
            }
        }
    }
    const int caption_width = QFontMetrics(b->font()).horizontalAdvance(QStringLiteral("删除"));
    const int expected_left = 14 + (kButtonSize.width() - 14 - caption_width) / 2;
    EXPECT_NEAR(min_x, expected_left, 2);
}

TEST_F(Controls, DragOntoAButtonFromOutsideDoesNotLightIt) {
    IconButton *b = button(QStringLiteral("连接"));
    host.show();
    const QPointF inside(10, 10);
    QMouseEvent dragged(QEvent::MouseMove, inside, b->mapToGlobal(inside), Qt::NoButton,
                        Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(b, &dragged);
    EXPECT_FALSE(b->mouse_over());
    QMouseEvent moved(QEvent::MouseMove, inside, b->mapToGlobal(inside), Qt::NoButton, Qt::NoButton,
                      Qt::NoModifier);
    QApplication::sendEvent(b, &moved);
    EXPECT_TRUE(b->mouse_over());
    const QPointF outside(-20, 10);
    QMouseEvent left(QEvent::MouseMove, outside, b->mapToGlobal(outside), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(b, &left);
    EXPECT_FALSE(b->mouse_over());
}

TEST_F(Controls, ButtonShowsTheFocusCueOnlyForTheKeyboardAndEnterOrSpacePressIt) {
    IconButton *b = button(QStringLiteral("连接"));
    auto *other = new IconButton(QStringLiteral("断开"), &host);
    // Away from where the pointer rests, which would light a button as the window shows.
    b->move(200, 0);
    other->move(200, 40);
    activate();
    // The ring just inside the one-pixel frame line, on both sides of the face.
    const QPoint dot(1, 1);
    EXPECT_EQ(b->focusPolicy(), Qt::StrongFocus);

    other->setFocus(Qt::MouseFocusReason);
    b->setFocus(Qt::TabFocusReason);
    ASSERT_TRUE(b->hasFocus());
    EXPECT_TRUE(b->shows_focus_cue());
    QImage img = render(*b);
    for (const QPoint &p : {QPoint(1, 1), QPoint(2, 2), QPoint(3, 1),
                            QPoint(kButtonSize.width() - 2, kButtonSize.height() - 3)}) {
        EXPECT_EQ(at(img, p.x(), p.y()), kHighlight) << p.x() << "," << p.y();
    }
    // The icon is whole beside it, and the face's own frame line is not the ring.
    EXPECT_EQ(at(img, 0, 1), kFace);
    const QRect icon_at(kFaceInset, (kButtonSize.height() - 8) / 2, 8, 8);
    for (int x = icon_at.left(); x <= icon_at.right(); ++x) {
        EXPECT_EQ(at(img, x, icon_at.top()), kIconColour) << x;
    }
    // Focus and the pointer look nothing alike: the pointer's frame is the face's own shades,
    // one pixel wide, and leaves the ring's pixels alone.
    other->setFocus(Qt::TabFocusReason);
    hover(b);
    ASSERT_TRUE(b->mouse_over());
    const QImage over = render(*b);
    EXPECT_EQ(at(over, 0, 0), kLight);
    EXPECT_EQ(at(over, 2, 2), kFace);
    EXPECT_NE(at(over, 1, 1), kHighlight);
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(b, &leave);
    b->setFocus(Qt::TabFocusReason);

    // Focus moves away and comes back by a click: no cue; then a key shows it again.
    other->setFocus(Qt::TabFocusReason);
    EXPECT_FALSE(b->shows_focus_cue());
    EXPECT_NE(at(render(*b), dot.x(), dot.y()), kHighlight);
    b->setFocus(Qt::MouseFocusReason);
    EXPECT_FALSE(b->shows_focus_cue());
    EXPECT_NE(at(render(*b), dot.x(), dot.y()), kHighlight);

    QSignalSpy clicked(b, &QPushButton::clicked);
    key(b, Qt::Key_Return);
    key(b, Qt::Key_Enter);
    key(b, Qt::Key_Space);
    EXPECT_EQ(clicked.count(), 3);
    EXPECT_TRUE(b->shows_focus_cue());
    // A disabled button does nothing.
    b->setEnabled(false);
    key(b, Qt::Key_Return);
    EXPECT_EQ(clicked.count(), 3);
}

TEST_F(Controls, ButtonsAreAnnouncedByCaptionOrTooltipAndCanBePressed) {
    IconButton *b = button(QStringLiteral("连&接"));
    QAccessibleInterface *a = QAccessible::queryAccessibleInterface(b);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->role(), QAccessible::Button);
    EXPECT_EQ(a->text(QAccessible::Name), QStringLiteral("连接"));
    ASSERT_NE(a->actionInterface(), nullptr);
    EXPECT_TRUE(
        a->actionInterface()->actionNames().contains(QAccessibleActionInterface::pressAction()));
    QSignalSpy clicked(b, &QPushButton::clicked);
    a->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(clicked.count(), 1);

    IconButton *play = button({});
    play->setToolTip(QStringLiteral("play"));
    EXPECT_EQ(QAccessible::queryAccessibleInterface(play)->text(QAccessible::Name),
              QStringLiteral("play"));
    play->setAccessibleName(QStringLiteral("own name"));
    EXPECT_EQ(QAccessible::queryAccessibleInterface(play)->text(QAccessible::Name),
              QStringLiteral("own name"));
}

class SliderPixels : public Controls {
  protected:
    ShadedSlider *slider(int value) {
        auto *s = new ShadedSlider(&host);
        s->resize(145, 32);
        s->setRange(0, 100);
        s->setValue(value);
        s->set_channel_colour(QColor(196, 196, 255));
        s->set_selection_colour(QColor(64, 64, 255));
        return s;
    }
};

TEST_F(SliderPixels, ThumbShadesAndGrip) {
    ShadedSlider *s = slider(50);
    s->set_face_colour(QColor(220, 220, 220));
    const SliderShades shades = s->shades();
    EXPECT_EQ(shades.light1, QColor(220, 220, 220));
    EXPECT_EQ(shades.dark1, QColor(169, 169, 169));

    const EdgeRect t = slider_geometry(s->size(), 0, 100, 50).thumb;
    const EdgeRect in = t.shrunk(1);
    QImage img = render(*s);
    EXPECT_EQ(at(img, t.left, t.top + 1), s->palette().color(QPalette::WindowText));
    EXPECT_EQ(at(img, in.left + 1, in.top + 1), QColor(220, 220, 220));
    EXPECT_EQ(at(img, in.right - 1, in.top + 1), shades.dark1);
    EXPECT_EQ(at(img, in.right - 1, in.bottom - 1), shades.dark2);
    EXPECT_EQ(at(img, in.left + 1, in.top + 4), shades.light2);
    EXPECT_EQ(at(img, in.left + 2, in.top + 6), shades.dark2);
    EXPECT_EQ(at(img, in.left + 2, in.bottom - 5), shades.dark2);
    EXPECT_EQ(at(img, in.left + 1, in.bottom - 5), QColor(220, 220, 220));
    EXPECT_EQ(at(img, in.left + 7, in.top + 6), shades.light1);

    // Pressed: one shade darker, for that drawing only.
    s->setSliderDown(true);
    img = render(*s);
    EXPECT_EQ(at(img, in.left + 1, in.top + 1), darken(QColor(220, 220, 220)));
    s->setSliderDown(false);
    EXPECT_EQ(at(render(*s), in.left + 1, in.top + 1), QColor(220, 220, 220));

    // Disabled: no grip.
    s->setEnabled(false);
    EXPECT_EQ(at(render(*s), in.left + 2, in.top + 6), QColor(220, 220, 220));
}

TEST_F(SliderPixels, DarkFaceKeepsItsChannelsWhenDarkened) {
    ShadedSlider *s = slider(50);
    s->set_face_colour(QColor(40, 40, 40));
    EXPECT_EQ(s->shades().dark1, QColor(40, 40, 40));
    EXPECT_EQ(s->shades().light1, QColor(91, 91, 91));
}

TEST_F(SliderPixels, ChannelEdges) {
    ShadedSlider *s = slider(100);  // thumb out of the way at the right end
    const SliderShades shades = s->shades();
    EdgeRect k = slider_geometry(s->size(), 0, 100, 100).channel;
    k.top += 2;
    k.bottom -= 2;
    QImage img = render(*s);
    EXPECT_EQ(at(img, k.left + 3, k.top), shades.deep_shadow);
    EXPECT_EQ(at(img, k.left + 3, k.top + 1), QColor(196, 196, 255));
    const EdgeRect w{k.left - 1, k.top - 1, k.right + 1, k.bottom};
    EXPECT_EQ(at(img, w.left + 4, w.top), shades.mid_shadow);
    EXPECT_EQ(at(img, w.left, w.top + 2), shades.mid_shadow);
    EXPECT_EQ(at(img, w.left + 4, w.bottom), shades.highlight);

    s->setEnabled(false);
    img = render(*s);
    EXPECT_EQ(at(img, k.left + 3, k.top + 1), s->palette().color(QPalette::Button));
}

TEST_F(SliderPixels, KeysMoveTheThumbWithTheSignalsOfADrag) {
    ShadedSlider *s = slider(50);
    s->setPageStep(10);
    activate();
    s->clearFocus();
    s->setFocus(Qt::TabFocusReason);
    ASSERT_TRUE(s->hasFocus());
    EXPECT_TRUE(s->shows_focus_cue());
    EXPECT_EQ(at(render(*s), 0, 0), s->palette().color(QPalette::WindowText));

    QSignalSpy pressed(s, &QSlider::sliderPressed);
    QSignalSpy moved(s, &QSlider::sliderMoved);
    QSignalSpy changed(s, &QSlider::valueChanged);
    QSignalSpy released(s, &QSlider::sliderReleased);
    const std::vector<std::pair<int, int>> steps = {
        {Qt::Key_Right, 51},  {Qt::Key_Left, 50},     {Qt::Key_Up, 51},   {Qt::Key_Down, 50},
        {Qt::Key_PageUp, 60}, {Qt::Key_PageDown, 50}, {Qt::Key_End, 100}, {Qt::Key_Home, 0}};
    for (const auto &[k, want] : steps) {
        key(s, k);
        EXPECT_EQ(s->value(), want) << "key " << k;
        EXPECT_EQ(moved.takeLast().at(0).toInt(), want);
        EXPECT_EQ(changed.takeLast().at(0).toInt(), want);
    }
    EXPECT_EQ(pressed.count(), static_cast<int>(steps.size()));
    EXPECT_EQ(released.count(), static_cast<int>(steps.size()));
    EXPECT_FALSE(s->isSliderDown());

    // A click gives the focus without the cue.
    s->clearFocus();
    s->setFocus(Qt::MouseFocusReason);
    EXPECT_FALSE(s->shows_focus_cue());
    EXPECT_NE(at(render(*s), 0, 0), s->palette().color(QPalette::WindowText));
}

TEST_F(SliderPixels, SliderIsAnnouncedWithItsValue) {
    ShadedSlider *s = slider(40);
    QAccessibleInterface *a = QAccessible::queryAccessibleInterface(s);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->role(), QAccessible::Slider);
    QAccessibleValueInterface *v = a->valueInterface();
    ASSERT_NE(v, nullptr);
    EXPECT_EQ(v->currentValue().toInt(), 40);
    EXPECT_EQ(v->maximumValue().toInt(), 100);
    EXPECT_EQ(a->text(QAccessible::Value), QStringLiteral("40"));
    v->setCurrentValue(70);
    EXPECT_EQ(s->value(), 70);
}

TEST_F(Controls, GaugeLinkIconAndAnimationAreAnnounced) {
    SpaceGauge gauge(&host);
    QAccessibleInterface *g = QAccessible::queryAccessibleInterface(&gauge);
    ASSERT_NE(g, nullptr);
    EXPECT_EQ(g->role(), QAccessible::ProgressBar);
    EXPECT_EQ(g->text(QAccessible::Name), QStringLiteral("(未连接)"));
    gauge.set_space(true, 1000, 250);
    EXPECT_EQ(g->text(QAccessible::Name), QStringLiteral("已用空间:750字节,剩余空间:250字节"));
    EXPECT_EQ(g->text(QAccessible::Description), QStringLiteral("75%"));
    ASSERT_NE(g->valueInterface(), nullptr);
    EXPECT_EQ(g->valueInterface()->currentValue().toInt(), 75);
    gauge.set_space(true, 0, 0);
    EXPECT_EQ(g->text(QAccessible::Name), QStringLiteral("(未连接)"));
    EXPECT_EQ(g->valueInterface()->currentValue().toInt(), 0);
    // Named by what it is, the figures are its value in words.
    gauge.setAccessibleName(QStringLiteral("手机空间"));
    gauge.set_space(true, 1000, 250);
    EXPECT_EQ(g->text(QAccessible::Name), QStringLiteral("手机空间"));
    EXPECT_EQ(g->text(QAccessible::Value), QStringLiteral("已用空间:750字节,剩余空间:250字节"));

    std::atomic<bool> connected{true};
    LinkStateIcon icon(&host);
    icon.set_connected_flag(&connected);
    icon.setText(QStringLiteral("   COM3已连接"));
    QAccessibleInterface *l = QAccessible::queryAccessibleInterface(&icon);
    ASSERT_NE(l, nullptr);
    EXPECT_EQ(l->role(), QAccessible::StaticText);
    EXPECT_EQ(l->text(QAccessible::Name), QStringLiteral("COM3已连接"));

    FrameAnimationStatic animation(&host);
    QAccessibleInterface *f = QAccessible::queryAccessibleInterface(&animation);
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->role(), QAccessible::Animation);
}

TEST_F(Controls, GaugeShowsUsedRedFreeBlueAndWhitePercent) {
    SpaceGauge gauge(&host);
    gauge.resize(200 + 2, 20);  // a 200-pixel bar inside the sunken edge
    gauge.set_space(true, 1000, 250);
    const QRect r = gauge.contentsRect();
    ASSERT_EQ(r.width(), 200);
    const QImage img = render(gauge);
    const int y = r.bottom();
    EXPECT_EQ(at(img, r.left(), y), QColor(255, 0, 0));
    EXPECT_EQ(at(img, r.left() + 149, y), QColor(255, 0, 0));
    EXPECT_EQ(at(img, r.left() + 150, y), QColor(0, 0, 255));
    EXPECT_EQ(at(img, r.right(), y), QColor(0, 0, 255));
    int white = 0;
    for (int yy = r.top(); yy < r.top() + 12; ++yy) {
        for (int xx = r.left() + 80; xx < r.left() + 120; ++xx) {
            const QColor c = at(img, xx, yy);
            white += std::min({c.red(), c.green(), c.blue()}) > 160 ? 1 : 0;
        }
    }
    EXPECT_GT(white, 10);
    EXPECT_EQ(gauge.font().pixelSize(), 12);
    EXPECT_EQ(gauge.tip_text(), QStringLiteral("已用空间:750字节,剩余空间:250字节"));

    gauge.set_space(true, 0, 0);
    const QImage empty = render(gauge);
    EXPECT_EQ(at(empty, r.left() + 100, r.top() + 5), gauge.palette().color(QPalette::Base));
    EXPECT_EQ(gauge.tip_text(), QStringLiteral("(未连接)"));
}

TEST_F(Controls, GaugeTipShowsOverTheCornerWhileTheButtonIsHeld) {
    auto *gauge = new SpaceGauge(&host);
    gauge->setGeometry(20, 30, 300, 18);
    host.show();
    gauge->enable_tool_tip(true);
    gauge->set_space(true, 1000, 250);
    ControlToolTip *tip = gauge->tip_window();
    ASSERT_NE(tip, nullptr);
    EXPECT_EQ(tip->text(), QStringLiteral("已用空间:750字节,剩余空间:250字节"));

    PointerState pointer{gauge->mapToGlobal(QPoint(10, 5)), true, &host};
    tip->set_pointer_probe([&pointer] { return pointer; });
    tip->poll();
    ASSERT_TRUE(tip->isVisible());
    EXPECT_EQ(tip->pos(), gauge->mapToGlobal(QPoint(0, 0)));
    const QFontMetrics m(QApplication::font());
    EXPECT_EQ(tip->size(), QSize(m.horizontalAdvance(tip->text()) + 4, m.height() + 4));

    pointer.left_down = false;
    tip->poll();
    EXPECT_FALSE(tip->isVisible());
    pointer.left_down = true;
    pointer.focus_widget = nullptr;
    tip->poll();
    EXPECT_FALSE(tip->isVisible());

    gauge->enable_tool_tip(false);
    EXPECT_EQ(gauge->tip_window(), nullptr);
}

TEST_F(Controls, LinkIconFollowsTheConnectedFlag) {
    std::atomic<bool> connected{false};
    LinkStateIcon icon(&host);
    icon.setText(QStringLiteral("   COM3未连接"));
    icon.resize(110, 20);
    icon.set_connected_flag(&connected);
    ASSERT_EQ(icon.icon_rect().size(), QSize(16, 16));
    const QPoint origin = icon.icon_rect().topLeft();
    const QImage off = render(icon).copy(QRect(origin, QSize(16, 16)));
    connected = true;
    const QImage on = render(icon).copy(QRect(origin, QSize(16, 16)));
    EXPECT_NE(off, on);
    // Inside the handset's body: grey when not connected, blue when connected.
    EXPECT_EQ(at(off, 6, 10), QColor(0x9a, 0xa7, 0xb4));
    EXPECT_EQ(at(on, 6, 10), QColor(0x3d, 0x7b, 0xd9));

    // A label lower than the icon (a window laid out from a small font) shows it whole, smaller:
    // its outline at the bottom is drawn, inside the frame.
    icon.resize(110, 12);
    const QRect small = icon.icon_rect();
    EXPECT_TRUE(icon.contentsRect().contains(small));
    EXPECT_EQ(small.height(), icon.contentsRect().height());
    const QImage drawn = render(icon);
    const QColor background = at(drawn, 100, 6);
    bool bottom_outline = false;
    for (int x = small.left(); x <= small.right(); ++x) {
        bottom_outline = bottom_outline || at(drawn, x, small.bottom()) != background;
    }
    EXPECT_TRUE(bottom_outline);
}

TEST_F(Controls, AnimationShowsFramesInOrderAndStopsBlank) {
    FrameAnimationStatic animation(&host);
    animation.resize(kFrameSize);
    const QImage blank = render(animation);
    animation.start();
    EXPECT_TRUE(animation.running());
    auto expect_frame = [&](int position) {
        animation.tick();
        const QImage want =
            QImage(frame_resource_path(position)).convertToFormat(QImage::Format_RGB32);
        EXPECT_EQ(render(animation), want) << "position " << position;
    };
    for (int i = 0; i < kFrameCount; ++i) {
        expect_frame(i);
    }
    expect_frame(0);
    EXPECT_EQ(animation.frame_index(), 1);
    animation.stop();
    EXPECT_FALSE(animation.running());
    EXPECT_FALSE(animation.has_frame());
    EXPECT_EQ(animation.frame_index(), 0);
    EXPECT_EQ(render(animation), blank);
}

}  // namespace
}  // namespace zemlo::shell
