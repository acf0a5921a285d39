#include "artwork.h"
#include "animation_frames.h"

#include "offscreen_app.h"

#include <QImage>

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

}  // namespace
}  // namespace zemlo::shell
