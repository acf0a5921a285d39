#include "artwork.h"
#include "animation_frames.h"

#include "offscreen_app.h"

#include <QImage>

#include <gtest/gtest.h>

namespace zemlo::shell {
namespace {

TEST(Artwork, EveryNamedIconAndFrameIsThereAtItsSize) {
    test::ensureApp();
    for (int id : {128, 197, 198, 199, 200, 238, 136, 137, 171, 172, 173, 175}) {
        EXPECT_FALSE(loadIcon(id).isNull()) << id;
        EXPECT_EQ(iconNaturalSize(id), QSize(32, 32)) << id;
    }
    for (int id : {208, 209}) {
        EXPECT_EQ(iconNaturalSize(id), QSize(16, 16)) << id;
    }
    EXPECT_TRUE(loadIcon(999).isNull());
    for (int i = 0; i < kFrameCount; ++i) {
        const QImage frame(frameResourcePath(i));
        EXPECT_EQ(frame.size(), kFrameSize) << i;
    }
    // Consecutive frames differ: the file moves.
    EXPECT_NE(QImage(frameResourcePath(0)), QImage(frameResourcePath(1)));
}

}  // namespace
}  // namespace zemlo::shell
