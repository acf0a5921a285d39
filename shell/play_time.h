// The melody panel's figures: the slider's percentage and the "播放时间 mm:ss" text, which shows
// the whole melody's length rounded to the nearest second (not the time played), or, while the
// slider is dragged, the time the thumb stands at.
#pragma once

#include <cstdint>
#include <string>

namespace zemlo::shell {

// position x 100 / length, truncated; 0 for a zero length; at most 100.
int play_percent(uint32_t position_ms, uint32_t length_ms);
// The other way, for a slider dragged to percent: percent (0 to 100) x length / 100, truncated.
uint32_t play_position_ms(int percent, uint32_t length_ms);
std::string play_time_text(uint32_t length_ms);

}  // namespace zemlo::shell
