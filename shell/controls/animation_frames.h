#pragma once

#include <QSize>
#include <QString>

#include <array>

namespace zemlo::shell {

// The wait animation: twenty bitmaps of a file travelling from the PC to the handset, shown in
// this order, one every 300 ms. The first one is also the picture the wait window is laid out
// around.
inline constexpr int kFrameCount = 20;
inline constexpr int kFramePeriodMs = 300;
inline constexpr QSize kFrameSize(360, 44);
inline constexpr std::array<int, kFrameCount> kFrameTable = {230, 211, 212, 213, 214, 215, 216,
                                                             217, 218, 219, 220, 221, 222, 223,
                                                             224, 225, 226, 227, 228, 229};

// ":/frames/<resource>_<position>.png", position two digits.
QString frame_resource_path(int position);

// One timer tick: the frame index wraps from kFrameCount to 0, the frame at the (wrapped)
// index is shown, and the index moves on by one.
struct FrameTick {
    int shown = 0;
    int next = 0;
};
FrameTick advance_frame(int index);

}  // namespace zemlo::shell
