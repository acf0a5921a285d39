#include "icon_button_layout.h"

namespace zemlo::shell {

std::vector<FrameLine> iconButtonFrame(const EdgeRect &r, bool pressed, bool over) {
    if (!pressed && !over) {
        return {};
    }
    // The upper-left angle and the lower-right angle; which one is lit decides raised or sunken.
    std::vector<QPoint> upperLeft = {{r.left, r.bottom - 1}, {r.left, r.top}, {r.right, r.top}};
    std::vector<QPoint> lowerRight = {
        {r.left, r.bottom - 1}, {r.right - 1, r.bottom - 1}, {r.right - 1, r.top - 1}};
    if (pressed) {
        return {{FrameShade::Shadow, upperLeft}, {FrameShade::Highlight, lowerRight}};
    }
    return {{FrameShade::Highlight, upperLeft}, {FrameShade::Shadow, lowerRight}};
}

IconButtonLayout layoutIconButton(const EdgeRect &r, QSize iconSize, bool hasCaption,
                                  bool pressed) {
    IconButtonLayout out;
    out.captionArea = r;
    EdgeRect icon = r;
    if (!iconSize.isEmpty()) {
        if (!hasCaption) {
            icon.left += (r.width() - iconSize.width()) / 2;
        } else {
            icon.left += kIconGap;
            out.captionArea.left += iconSize.width() + kIconGap;
        }
        icon.top += (r.height() - iconSize.height()) / 2;
        if (pressed) {
            icon = icon.moved(kPressedShift, kPressedShift);
        }
    }
    out.iconTopLeft = QPoint(icon.left, icon.top);
    if (pressed) {
        out.captionArea = out.captionArea.moved(kPressedShift, kPressedShift);
    }
    return out;
}

QPoint centredCaption(const EdgeRect &area, QSize measured) {
    return QPoint(area.left + (area.width() - measured.width()) / 2,
                  area.top + (area.height() - measured.height()) / 2);
}

}  // namespace zemlo::shell
