#include "animation_frames.h"
#include "button_hover.h"
#include "edge_rect.h"
#include "icon_button_layout.h"
#include "shade_math.h"
#include "slider_geometry.h"
#include "space_gauge_figures.h"
#include "tip_text.h"

#include "offscreen_app.h"

#include <gtest/gtest.h>

namespace zemlo::shell {
namespace {

TEST(ShadeMath, ChannelsStayPutInsteadOfClipping) {
    EXPECT_EQ(lightenChannel(220), 220);
    EXPECT_EQ(lightenChannel(204), 255);
    EXPECT_EQ(lightenChannel(0), 51);
    EXPECT_EQ(darkenChannel(40), 40);
    EXPECT_EQ(darkenChannel(51), 0);
    EXPECT_EQ(darkenChannel(255), 204);
    // Rounds down, also when the second colour is the darker one.
    EXPECT_EQ(midpointChannel(10, 15), 12);
    EXPECT_EQ(midpointChannel(15, 10), 12);
    EXPECT_EQ(midpointChannel(10, 5), 7);
}

TEST(ShadeMath, SliderShadesFollowTheFaceChannelByChannel) {
    SystemColours system;
    system.buttonFace = QColor(212, 208, 200);
    system.buttonShadow = QColor(128, 128, 128);
    system.darkShadow = QColor(64, 64, 64);
    system.buttonHighlight = QColor(255, 255, 255);
    const SliderShades s = SliderShades::compute(QColor(220, 40, 128), system);
    EXPECT_EQ(s.light1, QColor(220, 91, 179));
    EXPECT_EQ(s.light2, QColor(220, 142, 230));
    EXPECT_EQ(s.dark1, QColor(169, 40, 77));
    EXPECT_EQ(s.dark2, QColor(118, 40, 26));
    EXPECT_EQ(s.midShadow, QColor(170, 168, 164));
    EXPECT_EQ(s.deepShadow, QColor(96, 96, 96));
    EXPECT_EQ(s.highlight, QColor(255, 255, 255));
}

TEST(PixelLines, EachSegmentIncludesItsStartAndExcludesItsEnd) {
    EXPECT_EQ(polylinePixels({{0, 2}, {0, 0}, {3, 0}}),
              (std::vector<QPoint>{{0, 2}, {0, 1}, {0, 0}, {1, 0}, {2, 0}}));
    EXPECT_EQ(polylinePixels({{0, 2}, {2, 0}}), (std::vector<QPoint>{{0, 2}, {1, 1}}));
    EXPECT_TRUE(polylinePixels({{4, 4}, {4, 4}}).empty());
}

TEST(IconButtonLayout, IconIsCentredWithoutCaptionAndBesideOne) {
    const EdgeRect r{0, 0, 100, 30};
    const QSize icon(32, 32);
    EXPECT_EQ(layoutIconButton(r, icon, false, false).iconTopLeft, QPoint(34, -1));
    const IconButtonLayout withCaption = layoutIconButton(r, icon, true, false);
    EXPECT_EQ(withCaption.iconTopLeft, QPoint(3, -1));
    EXPECT_EQ(withCaption.captionArea, (EdgeRect{35, 0, 100, 30}));
    const IconButtonLayout pressed = layoutIconButton(r, icon, true, true);
    EXPECT_EQ(pressed.iconTopLeft, QPoint(4, 0));
    EXPECT_EQ(pressed.captionArea, (EdgeRect{36, 1, 101, 31}));
    // No icon: the caption has the whole button.
    EXPECT_EQ(layoutIconButton(r, QSize(), true, false).captionArea, r);
    EXPECT_EQ(centredCaption(EdgeRect{35, 0, 100, 30}, QSize(24, 15)), QPoint(55, 7));
}

TEST(ButtonHover, PointerLightsTheButtonUntilItLeaves) {
    HoverTracker h;
    HoverEffects fx = h.mouseMoved(true, false);
    EXPECT_TRUE(h.over() && h.holdsCapture() && fx.repaint && fx.takeCapture);
    fx = h.mouseMoved(true, false);
    EXPECT_FALSE(fx.repaint);
    fx = h.mouseMoved(false, false);
    EXPECT_TRUE(!h.over() && !h.holdsCapture() && fx.repaint && fx.releaseCapture);
}

TEST(ButtonHover, DragFromElsewhereDoesNotLightAndAPressKeepsThePointer) {
    HoverTracker h;
    EXPECT_FALSE(h.mouseMoved(true, true).repaint);
    EXPECT_FALSE(h.over());

    h.mouseMoved(true, false);
    // Pressed on the button and dragged off: the look goes, the pointer stays with it.
    HoverEffects fx = h.mouseMoved(false, true);
    EXPECT_TRUE(fx.repaint && !fx.releaseCapture);
    EXPECT_TRUE(!h.over() && h.holdsCapture());
    fx = h.mouseMoved(false, false);
    EXPECT_TRUE(fx.releaseCapture && !h.holdsCapture());
}

TEST(ButtonHover, FocusLossClearsTheLookButCaptureLossKeepsIt) {
    HoverTracker h;
    h.mouseMoved(true, false);
    HoverEffects fx = h.captureLost();
    EXPECT_TRUE(fx.repaint && fx.releaseCapture);
    EXPECT_TRUE(h.over() && !h.holdsCapture());
    // Passing over again takes the pointer back; leaving then clears the look.
    h.mouseMoved(true, false);
    EXPECT_TRUE(h.holdsCapture());
    h.mouseMoved(false, false);
    EXPECT_FALSE(h.over());

    h.mouseMoved(true, false);
    EXPECT_TRUE(h.focusLost().repaint);
    EXPECT_FALSE(h.over());
    EXPECT_FALSE(h.focusLost().repaint);
}

TEST(SpaceGaugeFigures, UsedShareAndText) {
    GaugeFigures g = gaugeFigures(200, 1000, 250);
    EXPECT_TRUE(g.hasData);
    EXPECT_EQ(g.usedWidth, 150);
    EXPECT_EQ(g.percent, QStringLiteral("75%"));
    // Truncated width, rounded text.
    g = gaugeFigures(100, 3, 1);
    EXPECT_EQ(g.usedWidth, 66);
    EXPECT_EQ(g.percent, QStringLiteral("67%"));
    EXPECT_FALSE(gaugeFigures(100, 0, 0).hasData);
    EXPECT_FALSE(gaugeFigures(100, 0, 512).hasData);
    // Counts outside the total stay within the bar.
    g = gaugeFigures(100, 1000, 1500);
    EXPECT_EQ(g.usedWidth, 0);
    EXPECT_EQ(g.percent, QStringLiteral("0%"));
    g = gaugeFigures(100, 1000, -5);
    EXPECT_EQ(g.usedWidth, 100);
    EXPECT_EQ(g.percent, QStringLiteral("100%"));
    EXPECT_EQ(gaugeTextX(3, 100, 25), 40);
}

TEST(SpaceGaugeFigures, TipText) {
    EXPECT_EQ(spaceTipText(1000, 250), QStringLiteral("已用空间:750字节,剩余空间:250字节"));
    EXPECT_EQ(spaceTipText(0, 0), QStringLiteral("(未连接)"));
    EXPECT_EQ(spaceTipText(0, 512), QStringLiteral("已用空间:-512字节,剩余空间:512字节"));
    // No overflow at the ends of the 32-bit range.
    EXPECT_EQ(spaceTipText(2147483647, -2147483647 - 1),
              QStringLiteral("已用空间:4294967295字节,剩余空间:-2147483648字节"));
}

TEST(TipText, MultiLineExtentAndLengthBound) {
    test::ensureApp();
    const QFontMetrics m(QFont(QStringLiteral("WenQuanYi Micro Hei"), 9));
    EXPECT_EQ(tipTextExtent(m, QStringLiteral("abc")),
              QSize(m.horizontalAdvance("abc"), m.height()));
    const QSize two = tipTextExtent(m, QStringLiteral("short\na much longer line\nx"));
    EXPECT_EQ(two, QSize(m.horizontalAdvance("a much longer line"), 3 * m.height()));

    // 400 CJK characters are 1200 bytes; 341 of them fit in 1023.
    const QString long_text(400, QChar(0x7A7A));
    EXPECT_EQ(boundedTipText(long_text).size(), 341);
    EXPECT_EQ(boundedTipText(QStringLiteral("(未连接)")), QStringLiteral("(未连接)"));
}

TEST(TipText, ShowsOnlyWhileHeldWithFocusInTheWindow) {
    EXPECT_EQ(tipPollStep(false, true, true, true), TipStep::Show);
    EXPECT_EQ(tipPollStep(false, true, true, false), TipStep::None);
    EXPECT_EQ(tipPollStep(true, true, true, false), TipStep::Hide);
    EXPECT_EQ(tipPollStep(true, true, true, true), TipStep::None);
    EXPECT_EQ(tipPollStep(true, true, false, true), TipStep::Hide);
    EXPECT_EQ(tipPollStep(true, false, true, true), TipStep::Hide);
    EXPECT_EQ(tipPollStep(false, false, true, true), TipStep::None);
}

TEST(AnimationFrames, OrderStartsAt230ThenRuns211To229AndWraps) {
    std::vector<int> shown;
    int index = 0;
    for (int tick = 0; tick < 2 * kFrameCount + 1; ++tick) {
        const FrameTick t = advanceFrame(index);
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
    EXPECT_EQ(frameResourcePath(0), QStringLiteral(":/frames/230_00.png"));
    EXPECT_EQ(frameResourcePath(19), QStringLiteral(":/frames/229_19.png"));
}

TEST(SliderGeometry, ThumbTravelsTheChannelAndMapsBack) {
    const QSize size(145, 32);
    const SliderGeometry lo = sliderGeometry(size, 0, 100, 0);
    const SliderGeometry hi = sliderGeometry(size, 0, 100, 100);
    EXPECT_EQ(lo.thumb.left + kThumbWidth / 2, lo.channel.left);
    EXPECT_EQ(hi.thumb.left + kThumbWidth / 2, hi.channel.right - 1);
    EXPECT_LT(lo.thumb.width(), lo.thumb.height());
    for (int v : {0, 13, 50, 99, 100}) {
        const SliderGeometry g = sliderGeometry(size, 0, 100, v);
        EXPECT_EQ(sliderValueAt(size, 0, 100, g.thumb.left + kThumbWidth / 2), v);
    }
    EXPECT_EQ(sliderValueAt(size, 0, 100, -50), 0);
    EXPECT_EQ(sliderValueAt(size, 0, 100, 500), 100);
    EXPECT_EQ(sliderValueAt(size, 5, 5, 70), 5);
}

}  // namespace
}  // namespace zemlo::shell
