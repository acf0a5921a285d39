#include "artwork.h"
#include "animation_frames.h"

#include "offscreen_app.h"

#include <QImage>

#include <gtest/gtest.h>

namespace zemlo::shell {
namespace {

TEST(Artwork, EveryNamedIconAndFrameIsThereAtItsSize) {
    test::ensure_app();
    for (int id : {128, 197, 198, 199, 200, 238, 136, 137, 171, 172, 173, 175}) {
        EXPECT_FALSE(load_icon(id).isNull()) << id;
        EXPECT_EQ(icon_natural_size(id), QSize(32, 32)) << id;
    }
    for (int id : {208, 209}) {
        EXPECT_EQ(icon_natural_size(id), QSize(16, 16)) << id;
    }
    EXPECT_TRUE(load_icon(999).isNull());
    for (int i = 0; i < kFrameCount; ++i) {
        const QImage frame(frame_resource_path(i));
        EXPECT_EQ(frame.size(), kFrameSize) << i;
    }
    // Consecutive frames differ: the file moves.
    EXPECT_NE(QImage(frame_resource_path(0)), QImage(frame_resource_path(1)));
}

}  // namespace
}  // namespace zemlo::shell
