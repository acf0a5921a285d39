// Any bytes through the MIDI reader and the player's timing: no read outside the input, and
// the schedule is in time order and ends no later than the file's length.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "midi_reader.h"
#include "midi_schedule.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    std::string error;
    auto file = zemlo::media::read_midi(std::span<const uint8_t>(data, size), &error);
    if (!file) {
        return 0;
    }
    const auto schedule = zemlo::media::make_midi_schedule(*file);
    for (size_t i = 1; i < schedule.messages.size(); ++i) {
        if (schedule.messages[i].micros < schedule.messages[i - 1].micros) {
            __builtin_trap();
        }
    }
    if (!schedule.messages.empty() && schedule.messages.back().micros > schedule.length_micros) {
        __builtin_trap();
    }
    return 0;
}
