// The melody panel's figures: the slider's percentage and the "播放时间 mm:ss" text, which shows
// the whole melody's length rounded to the nearest second (not the time played).
#pragma once

#include <cstdint>
#include <string>

namespace zemlo::shell {

// position x 100 / length, truncated; 0 for a zero length; at most 100.
int play_percent(uint32_t position_ms, uint32_t length_ms);
std::string play_time_text(uint32_t length_ms);

}  // namespace zemlo::shell
