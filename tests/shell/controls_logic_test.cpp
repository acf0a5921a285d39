#include "animation_frames.h"
#include "button_hover.h"
#include "edge_rect.h"
#include "focus_cue.h"
#include "icon_button_layout.h"
#include "shade_math.h"
#include "slider_geometry.h"
#include "space_gauge_figures.h"
#include "tip_text.h"

#include "offscreen_app.h"

#include <gtest/gtest.h>

#include <set>

#include <cmath>
#include <utility>

namespace zemlo::shell {
namespace {

TEST(ShadeMath, ChannelsStayPutInsteadOfClipping) {
    EXPECT_EQ(lighten_channel(220), 220);
    EXPECT_EQ(lighten_channel(204), 255);
    EXPECT_EQ(lighten_channel(0), 51);
    EXPECT_EQ(darken_channel(40), 40);
    EXPECT_EQ(darken_channel(51), 0);
    EXPECT_EQ(darken_channel(255), 204);
    // Rounds down, also when the second colour is the darker one.
    EXPECT_EQ(midpoint_channel(10, 15), 12);
    EXPECT_EQ(midpoint_channel(15, 10), 12);
    EXPECT_EQ(midpoint_channel(10, 5), 7);
}

TEST(ShadeMath, SliderShadesFollowTheFaceChannelByChannel) {
    SystemColours system;
    system.button_face = QColor(212, 208, 200);
    system.button_shadow = QColor(128, 128, 128);
    system.dark_shadow = QColor(64, 64, 64);
    system.button_highlight = QColor(255, 255, 255);
    const SliderShades s = SliderShades::compute(QColor(220, 40, 128), system);
    EXPECT_EQ(s.light1, QColor(220, 91, 179));
    EXPECT_EQ(s.light2, QColor(220, 142, 230));
    EXPECT_EQ(s.dark1, QColor(169, 40, 77));
    EXPECT_EQ(s.dark2, QColor(118, 40, 26));
    EXPECT_EQ(s.mid_shadow, QColor(170, 168, 164));
    EXPECT_EQ(s.deep_shadow, QColor(96, 96, 96));
    EXPECT_EQ(s.highlight, QColor(255, 255, 255));
}

TEST(PixelLines, EachSegmentIncludesItsStartAndExcludesItsEnd) {
    EXPECT_EQ(polyline_pixels({{0, 2}, {0, 0}, {3, 0}}),
              (std::vector<QPoint>{{0, 2}, {0, 1}, {0, 0}, {1, 0}, {2, 0}}));
    EXPECT_EQ(polyline_pixels({{0, 2}, {2, 0}}), (std::vector<QPoint>{{0, 2}, {1, 1}}));
    EXPECT_TRUE(polyline_pixels({{4, 4}, {4, 4}}).empty());
}

TEST(IconButtonLayout, IconIsCentredWithoutCaptionAndBesideOne) {
    const EdgeRect r{0, 0, 100, 40};
    const QSize icon(32, 32);
    EXPECT_EQ(layout_icon_button(r, icon, false, false).icon_top_left, QPoint(34, 4));
    const IconButtonLayout with_caption = layout_icon_button(r, icon, true, false);
    EXPECT_EQ(with_caption.icon_top_left, QPoint(3, 4));
    EXPECT_EQ(with_caption.icon_size, icon);
    EXPECT_EQ(with_caption.caption_area, (EdgeRect{35, 0, 100, 40}));
    const IconButtonLayout pressed = layout_icon_button(r, icon, true, true);
    EXPECT_EQ(pressed.icon_top_left, QPoint(4, 5));
    EXPECT_EQ(pressed.caption_area, (EdgeRect{36, 1, 101, 41}));
    // No icon: the caption has the whole button.
    EXPECT_EQ(layout_icon_button(r, QSize(), true, false).caption_area, r);
    EXPECT_EQ(centred_caption(EdgeRect{35, 0, 100, 30}, QSize(24, 15)), QPoint(55, 7));
}

// The rows a logical span covers on a device with that pixel ratio, widened to whole pixels.
std::pair<int, int> device_rows(int from, int to, double ratio) {
    return {static_cast<int>(std::floor(from * ratio)), static_cast<int>(std::ceil(to * ratio))};
}

TEST(IconButtonLayout, IconShowsWholeBetweenTheFrameLinesAtEveryScale) {
    const QSize icon(32, 32);
    // The window's command buttons are 16 dialog units tall: twice the font height, which is 14
    // pixels at 9 pt and 96 dpi. A scale factor either enlarges the device pixels (the layout
    // stays in logical pixels) or the font (the buttons grow, the icons keep their size).
    for (const double scale : {1.0, 1.25, 1.5, 2.0}) {
        const int grown = 2 * static_cast<int>(std::lround(14 * scale));
        for (const auto &[height, ratio] : {std::pair{28, scale}, std::pair{grown, 1.0}}) {
            const EdgeRect face{0, 0, 120, height};
            for (const bool caption : {false, true}) {
                for (const bool pressed : {false, true}) {
                    const IconButtonLayout l = layout_icon_button(face, icon, caption, pressed);
                    SCOPED_TRACE(testing::Message()
                                 << "scale " << scale << " height " << height << " caption "
                                 << caption << " pressed " << pressed);
                    ASSERT_FALSE(l.icon_size.isEmpty());
                    EXPECT_EQ(l.icon_size.width(), l.icon_size.height());
                    // Inside the frame line and the focus ring, in logical pixels: not one pixel
                    // of the ring falls on the icon...
                    const QRect at(l.icon_top_left, l.icon_size);
                    EXPECT_GE(at.top(), kFaceInset);
                    EXPECT_LE(at.y() + at.height(), height - kFaceInset);
                    EXPECT_GE(at.left(), kFaceInset);
                    EXPECT_LE(at.x() + at.width(), face.width() - kFaceInset);
                    for (const QPoint &px : focus_ring_pixels(face.shrunk(kFrameWidth))) {
                        ASSERT_FALSE(at.contains(px)) << px.x() << "," << px.y();
                    }
                    // ...and inside the face's buffer in device pixels, rounded as Qt rounds it.
                    const auto [top, bottom] = device_rows(at.y(), at.y() + at.height(), ratio);
                    EXPECT_GE(top, 0);
                    EXPECT_LE(bottom, static_cast<int>(std::lround(height * ratio)));
                }
            }
            // Shrunk only when it does not fit: full size from 39 pixels up.
            EXPECT_EQ(fitted_icon_size(face, icon).height(),
                      std::min(32, height - 2 * kFaceInset - kPressedShift));
        }
    }
    // A face too small for anything shows no icon rather than one of negative size.
    EXPECT_TRUE(fitted_icon_size(EdgeRect{0, 0, 7, 7}, icon).isEmpty());
    // Proportions are kept.
    EXPECT_EQ(fitted_icon_size(EdgeRect{0, 0, 100, 23}, QSize(32, 16)), QSize(32, 16));
    EXPECT_EQ(fitted_icon_size(EdgeRect{0, 0, 100, 15}, QSize(32, 16)), QSize(16, 8));
}

TEST(FocusCue, KeyboardShowsItAClickHidesItTheRestKeepIt) {
    EXPECT_TRUE(focus_cue_after_focus_in(Qt::TabFocusReason, false));
    EXPECT_TRUE(focus_cue_after_focus_in(Qt::BacktabFocusReason, false));
    EXPECT_TRUE(focus_cue_after_focus_in(Qt::ShortcutFocusReason, false));
    EXPECT_FALSE(focus_cue_after_focus_in(Qt::MouseFocusReason, true));
    for (const Qt::FocusReason r :
         {Qt::ActiveWindowFocusReason, Qt::PopupFocusReason, Qt::OtherFocusReason}) {
        EXPECT_TRUE(focus_cue_after_focus_in(r, true));
        EXPECT_FALSE(focus_cue_after_focus_in(r, false));
    }
}

TEST(FocusCue, DotsGoRoundTheRectangleOnceEveryOtherPixel) {
    // 5 x 4: a ring of 14 pixels, 7 dots.
    EXPECT_EQ(focus_cue_pixels(EdgeRect{10, 20, 15, 24}),
              (std::vector<QPoint>{
                  {10, 20}, {12, 20}, {14, 20}, {14, 22}, {13, 23}, {11, 23}, {10, 22}}));
    for (const EdgeRect &r : {EdgeRect{0, 0, 1, 1}, EdgeRect{0, 0, 7, 1}, EdgeRect{0, 0, 1, 6},
                              EdgeRect{2, 3, 90, 25}}) {
        const std::vector<QPoint> dots = focus_cue_pixels(r);
        ASSERT_FALSE(dots.empty());
        for (std::size_t i = 0; i < dots.size(); ++i) {
            const QPoint d = dots[i];
            EXPECT_TRUE(r.to_rect().contains(d));
            // On the outline, and no pixel twice.
            EXPECT_TRUE(d.x() == r.left || d.x() == r.right - 1 || d.y() == r.top ||
                        d.y() == r.bottom - 1);
            for (std::size_t j = i + 1; j < dots.size(); ++j) {
                EXPECT_NE(d, dots[j]);
            }
        }
    }
    EXPECT_TRUE(focus_cue_pixels(EdgeRect{5, 5, 5, 9}).empty());
}

TEST(FocusCue, TheButtonRingIsSolidTwoPixelsAndEachPixelOnce) {
    const EdgeRect r{2, 3, 12, 9};  // 10 x 6
    const std::vector<QPoint> ring = focus_ring_pixels(r);
    // Every pixel of the rectangle but the 6 x 2 hole in the middle.
    EXPECT_EQ(ring.size(), 10u * 6u - 6u * 2u);
    for (const QPoint &p : ring) {
        EXPECT_TRUE(r.to_rect().contains(p));
        EXPECT_FALSE(r.shrunk(kFocusRingWidth).to_rect().contains(p));
    }
    std::set<std::pair<int, int>> distinct;
    for (const QPoint &p : ring) {
        distinct.insert({p.x(), p.y()});
    }
    EXPECT_EQ(distinct.size(), ring.size());
    EXPECT_TRUE(focus_ring_pixels(EdgeRect{0, 0, 3, 10}).empty());
}

TEST(ButtonHover, PointerLightsTheButtonUntilItLeaves) {
    HoverTracker h;
    HoverEffects fx = h.mouse_moved(true, false);
    EXPECT_TRUE(h.over() && h.holds_capture() && fx.repaint && fx.take_capture);
    fx = h.mouse_moved(true, false);
    EXPECT_FALSE(fx.repaint);
    fx = h.mouse_moved(false, false);
    EXPECT_TRUE(!h.over() && !h.holds_capture() && fx.repaint && fx.release_capture);
}

TEST(ButtonHover, DragFromElsewhereDoesNotLightAndAPressKeepsThePointer) {
    HoverTracker h;
    EXPECT_FALSE(h.mouse_moved(true, true).repaint);
    EXPECT_FALSE(h.over());

    h.mouse_moved(true, false);
    // Pressed on the button and dragged off: the look goes, the pointer stays with it.
    HoverEffects fx = h.mouse_moved(false, true);
    EXPECT_TRUE(fx.repaint && !fx.release_capture);
    EXPECT_TRUE(!h.over() && h.holds_capture());
    fx = h.mouse_moved(false, false);
    EXPECT_TRUE(fx.release_capture && !h.holds_capture());
}

TEST(ButtonHover, FocusLossClearsTheLookButCaptureLossKeepsIt) {
    HoverTracker h;
    h.mouse_moved(true, false);
    HoverEffects fx = h.capture_lost();
    EXPECT_TRUE(fx.repaint && fx.release_capture);
    EXPECT_TRUE(h.over() && !h.holds_capture());
    // Passing over again takes the pointer back; leaving then clears the look.
    h.mouse_moved(true, false);
    EXPECT_TRUE(h.holds_capture());
    h.mouse_moved(false, false);
    EXPECT_FALSE(h.over());

    h.mouse_moved(true, false);
    EXPECT_TRUE(h.focus_lost().repaint);
    EXPECT_FALSE(h.over());
    EXPECT_FALSE(h.focus_lost().repaint);
}

TEST(SpaceGaugeFigures, UsedShareAndText) {
    GaugeFigures g = gauge_figures(200, 1000, 250);
    EXPECT_TRUE(g.has_data);
    EXPECT_EQ(g.used_width, 150);
    EXPECT_EQ(g.percent, QStringLiteral("75%"));
    // Truncated width, rounded text.
    g = gauge_figures(100, 3, 1);
    EXPECT_EQ(g.used_width, 66);
    EXPECT_EQ(g.percent, QStringLiteral("67%"));
    EXPECT_FALSE(gauge_figures(100, 0, 0).has_data);
    EXPECT_FALSE(gauge_figures(100, 0, 512).has_data);
    // Counts outside the total stay within the bar.
    g = gauge_figures(100, 1000, 1500);
    EXPECT_EQ(g.used_width, 0);
    EXPECT_EQ(g.percent, QStringLiteral("0%"));
    g = gauge_figures(100, 1000, -5);
    EXPECT_EQ(g.used_width, 100);
    EXPECT_EQ(g.percent, QStringLiteral("100%"));
    EXPECT_EQ(gauge_text_x(3, 100, 25), 40);
}

TEST(SpaceGaugeFigures, TipText) {
    EXPECT_EQ(space_tip_text(1000, 250), QStringLiteral("已用空间:750字节,剩余空间:250字节"));
    EXPECT_EQ(space_tip_text(0, 0), QStringLiteral("(未连接)"));
    // Counts outside the total are held to it as the bar holds them: never a negative count.
    EXPECT_EQ(space_tip_text(0, 512), QStringLiteral("已用空间:0字节,剩余空间:512字节"));
    EXPECT_EQ(space_tip_text(1000, 1500), QStringLiteral("已用空间:0字节,剩余空间:1000字节"));
    EXPECT_EQ(space_tip_text(1000, -5), QStringLiteral("已用空间:1000字节,剩余空间:0字节"));
    EXPECT_EQ(space_tip_text(0, -512), QStringLiteral("已用空间:0字节,剩余空间:0字节"));
    EXPECT_EQ(space_tip_text(2147483647, -2147483647 - 1),
              QStringLiteral("已用空间:2147483647字节,剩余空间:0字节"));
}

TEST(TipText, MultiLineExtentAndLengthBound) {
    test::ensure_app();
    const QFontMetrics m(QFont(QStringLiteral("WenQuanYi Micro Hei"), 9));
    EXPECT_EQ(tip_text_extent(m, QStringLiteral("abc")),
              QSize(m.horizontalAdvance("abc"), m.height()));
    const QSize two = tip_text_extent(m, QStringLiteral("short\na much longer line\nx"));
    EXPECT_EQ(two, QSize(m.horizontalAdvance("a much longer line"), 3 * m.height()));

    // 400 CJK characters are 1200 bytes; 341 of them fit in 1023.
    const QString long_text(400, QChar(0x7A7A));
    EXPECT_EQ(bounded_tip_text(long_text).size(), 341);
    EXPECT_EQ(bounded_tip_text(QStringLiteral("(未连接)")), QStringLiteral("(未连接)"));
}

TEST(TipText, ShowsOnlyWhileHeldWithFocusInTheWindow) {
    EXPECT_EQ(tip_poll_step(false, true, true, true), TipStep::Show);
    EXPECT_EQ(tip_poll_step(false, true, true, false), TipStep::None);
    EXPECT_EQ(tip_poll_step(true, true, true, false), TipStep::Hide);
    EXPECT_EQ(tip_poll_step(true, true, true, true), TipStep::None);
    EXPECT_EQ(tip_poll_step(true, true, false, true), TipStep::Hide);
    EXPECT_EQ(tip_poll_step(true, false, true, true), TipStep::Hide);
    EXPECT_EQ(tip_poll_step(false, false, true, true), TipStep::None);
}

TEST(AnimationFrames, OrderStartsAt230ThenRuns211To229AndWraps) {
    std::vector<int> shown;
    int index = 0;
    for (int tick = 0; tick < 2 * kFrameCount + 1; ++tick) {
        const FrameTick t = advance_frame(index);
        shown.push_back(kFrameTable[static_cast<std::size_t>(t.shown)]);
        index = t.next;
    }
    EXPECT_EQ(shown[0], 230);
    for (int i = 1; i < kFrameCount; ++i) {
        EXPECT_EQ(shown[static_cast<std::size_t>(i)], 210 + i);
    }
    EXPECT_EQ(shown[20], 230);
    EXPECT_EQ(shown[21], 211);
    EXPECT_EQ(shown[40], 230);
    EXPECT_EQ(frame_resource_path(0), QStringLiteral(":/frames/230_00.png"));
    EXPECT_EQ(frame_resource_path(19), QStringLiteral(":/frames/229_19.png"));
}

TEST(SliderGeometry, ThumbTravelsTheChannelAndMapsBack) {
    const QSize size(145, 32);
    const SliderGeometry lo = slider_geometry(size, 0, 100, 0);
    const SliderGeometry hi = slider_geometry(size, 0, 100, 100);
    EXPECT_EQ(lo.thumb.left + kThumbWidth / 2, lo.channel.left);
    EXPECT_EQ(hi.thumb.left + kThumbWidth / 2, hi.channel.right - 1);
    EXPECT_LT(lo.thumb.width(), lo.thumb.height());
    for (int v : {0, 13, 50, 99, 100}) {
        const SliderGeometry g = slider_geometry(size, 0, 100, v);
        EXPECT_EQ(slider_value_at(size, 0, 100, g.thumb.left + kThumbWidth / 2), v);
    }
    EXPECT_EQ(slider_value_at(size, 0, 100, -50), 0);
    EXPECT_EQ(slider_value_at(size, 0, 100, 500), 100);
    EXPECT_EQ(slider_value_at(size, 5, 5, 70), 5);
}

}  // namespace
}  // namespace zemlo::shell
