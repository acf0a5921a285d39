#pragma once

#include <QString>

#include <cstdint>

namespace zemlo::shell {

// What the space gauge shows for a total and a free byte count.
struct GaugeFigures {
    bool has_data = false;  // false: plain window colour, no bar, no text
    int used_width = 0;     // width of the red part, from the left edge
    QString percent;        // the used share, "75%"
};

// width x used / total in floating point, truncated toward zero. A total of 0 (with or without
// a free count) has no bar; a free count outside 0..total is held to that range, so the bar
// never runs past either end and the share never goes below 0 % or above 100 %.
GaugeFigures gauge_figures(int width, std::int32_t total, std::int32_t free);

// Left edge of the centred percentage (halves rounded toward zero).
int gauge_text_x(int left, int width, int text_width);

// The tooltip's text: used and free bytes, or "(未连接)" when both counts are 0. The counts are
// held to 0..total as the bar's are, so neither is ever negative.
QString space_tip_text(std::int32_t total, std::int32_t free);

}  // namespace zemlo::shell
