#include "icon_button_layout.h"

namespace zemlo::shell {

std::vector<FrameLine> icon_button_frame(const EdgeRect &r, bool pressed, bool over) {
    if (!pressed && !over) {
        return {};
    }
    // The upper-left angle and the lower-right angle; which one is lit decides raised or sunken.
    std::vector<QPoint> upper_left = {{r.left, r.bottom - 1}, {r.left, r.top}, {r.right, r.top}};
    std::vector<QPoint> lower_right = {
        {r.left, r.bottom - 1}, {r.right - 1, r.bottom - 1}, {r.right - 1, r.top - 1}};
    if (pressed) {
        return {{FrameShade::Shadow, upper_left}, {FrameShade::Highlight, lower_right}};
    }
    return {{FrameShade::Highlight, upper_left}, {FrameShade::Shadow, lower_right}};
}

QSize fitted_icon_size(const EdgeRect &r, QSize icon) {
    if (icon.isEmpty()) {
        return {};
    }
    const QSize room(r.width() - 2 * kFaceInset - kPressedShift,
                     r.height() - 2 * kFaceInset - kPressedShift);
    if (room.width() <= 0 || room.height() <= 0) {
        return {};
    }
    if (icon.width() <= room.width() && icon.height() <= room.height()) {
        return icon;
    }
    return icon.scaled(room, Qt::KeepAspectRatio);
}

IconButtonLayout layout_icon_button(const EdgeRect &r, QSize natural_icon_size, bool has_caption,
                                    bool pressed) {
    IconButtonLayout out;
    out.caption_area = r;
    EdgeRect icon = r;
    const QSize icon_size = fitted_icon_size(r, natural_icon_size);
    out.icon_size = icon_size;
    if (!icon_size.isEmpty()) {
        if (!has_caption) {
            icon.left += (r.width() - icon_size.width()) / 2;
        } else {
            icon.left += kFaceInset;
            out.caption_area.left += icon_size.width() + kFaceInset;
        }
        icon.top += (r.height() - icon_size.height()) / 2;
        if (pressed) {
            icon = icon.moved(kPressedShift, kPressedShift);
        }
    }
    out.icon_top_left = QPoint(icon.left, icon.top);
    if (pressed) {
        out.caption_area = out.caption_area.moved(kPressedShift, kPressedShift);
    }
    return out;
}

QPoint centred_caption(const EdgeRect &area, QSize measured) {
    return QPoint(area.left + (area.width() - measured.width()) / 2,
                  area.top + (area.height() - measured.height()) / 2);
}

}  // namespace zemlo::shell
