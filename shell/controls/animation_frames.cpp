#include "animation_frames.h"

namespace zemlo::shell {

QString frame_resource_path(int position) {
    return QStringLiteral(":/frames/%1_%2.png")
        .arg(kFrameTable.at(static_cast<std::size_t>(position)))
        .arg(position, 2, 10, QLatin1Char('0'));
}

FrameTick advance_frame(int index) {
    if (index < 0 || index >= kFrameCount) {
        index = 0;
    }
    return {index, index + 1};
}

}  // namespace zemlo::shell
