#include "artwork.h"
#include "animation_frames.h"

#include "offscreen_app.h"

#include <QApplication>
#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QStyle>
#include <QStyleOption>

#include <set>

#include <gtest/gtest.h>

namespace zemlo::shell {
namespace {

TEST(Artwork, EveryNamedIconAndFrameIsThereAtItsSize) {
    test::ensure_app();
    // Every name has its own row, and every row's file is there at the size it claims.
    for (int i = 0; i <= static_cast<int>(Icon::Connected); ++i) {
        const auto icon = static_cast<Icon>(i);
        EXPECT_EQ(icon_art(icon).icon, icon) << i;
    }
    std::set<int> files;
    for (const IconArt &art : kIconArtwork) {
        EXPECT_TRUE(files.insert(art.file_number).second) << art.file_number;
        EXPECT_FALSE(load_icon(art.icon).isNull()) << art.file_number;
        EXPECT_EQ(icon_natural_size(art.icon), QSize(art.drawn_pixels, art.drawn_pixels))
            << art.file_number;
    }
    EXPECT_EQ(kIconArtwork.size(), static_cast<size_t>(Icon::Connected) + 1);
    for (int i = 0; i < kFrameCount; ++i) {
        const QImage frame(frame_resource_path(i));
        EXPECT_EQ(frame.size(), kFrameSize) << i;
    }
    // Consecutive frames differ: the file moves.
    EXPECT_NE(QImage(frame_resource_path(0)), QImage(frame_resource_path(1)));
}

TEST(Artwork, IconsDrawAtTheAskedSizeSharpOnDenseScreensAndGreyWhenDisabled) {
    test::ensure_app();
    const QIcon icon = load_icon(Icon::Connect);
    const QImage normal = icon.pixmap(QSize(24, 24)).toImage();
    EXPECT_EQ(normal.size(), QSize(24, 24));
    // Drawn for the screen's pixels, not enlarged from the small one.
    const QPixmap dense = icon.pixmap(QSize(24, 24), 2.0);
    EXPECT_EQ(dense.size(), QSize(48, 48));
    EXPECT_DOUBLE_EQ(dense.devicePixelRatio(), 2.0);
    EXPECT_EQ(icon.actualSize(QSize(40, 20)), QSize(20, 20));  // square art stays square

    const QImage disabled = icon.pixmap(QSize(24, 24), QIcon::Disabled).toImage();
    ASSERT_EQ(disabled.size(), normal.size());
    int coloured = 0;
    int grey_when_disabled = 0;
    for (int y = 0; y < normal.height(); ++y) {
        for (int x = 0; x < normal.width(); ++x) {
            const QColor n = normal.pixelColor(x, y);
            const QColor d = disabled.pixelColor(x, y);
            if (n.alpha() == 255 && n.hsvSaturation() > 100) {
                ++coloured;
                grey_when_disabled += d.hsvSaturation() < 40 ? 1 : 0;
            }
        }
    }
    EXPECT_GT(coloured, 20);
    EXPECT_EQ(grey_when_disabled, coloured);
    // The same pixmap again, not drawn a second time differently.
    EXPECT_EQ(icon.pixmap(QSize(24, 24)).toImage(), normal);
}

TEST(Artwork, AnIconDrawnAheadIsFoundDrawnByEveryIconOfItsFileInEveryMode) {
    test::ensure_app();
    draw_icon_ahead(Icon::Rename, QSize(20, 20), 1.0);
    const QPixmap ahead = load_icon(Icon::Rename).pixmap(QSize(20, 20));
    // Another icon of the same file finds the very pixmap, not one drawn again.
    EXPECT_EQ(load_icon(Icon::Rename).pixmap(QSize(20, 20)).cacheKey(), ahead.cacheKey());
    // Another file's icon at that size is its own.
    EXPECT_NE(load_icon(Icon::Delete).pixmap(QSize(20, 20)).toImage(), ahead.toImage());
    // The disabled form is the normal one greyed, as the style greys any icon.
    QStyleOption option;
    option.palette = QGuiApplication::palette();
    const QImage greyed =
        QApplication::style()->generatedIconPixmap(QIcon::Disabled, ahead, &option).toImage();
    EXPECT_EQ(load_icon(Icon::Rename).pixmap(QSize(20, 20), QIcon::Disabled).toImage(), greyed);
}

}  // namespace
}  // namespace zemlo::shell
