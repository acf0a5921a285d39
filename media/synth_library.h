// The synthesizer's functions, from its library loaded the first time a melody is opened (see
// deferred_library.h): the window starts without it and without the audio and codec libraries it
// brings.
#pragma once

#include <fluidsynth.h>

#include <string>

namespace zemlo::media {

struct SynthLibrary {
    decltype(&::new_fluid_settings) new_fluid_settings = nullptr;
    decltype(&::delete_fluid_settings) delete_fluid_settings = nullptr;
    decltype(&::fluid_settings_setnum) fluid_settings_setnum = nullptr;
    decltype(&::fluid_settings_setstr) fluid_settings_setstr = nullptr;
    decltype(&::new_fluid_synth) new_fluid_synth = nullptr;
    decltype(&::delete_fluid_synth) delete_fluid_synth = nullptr;
    decltype(&::fluid_synth_sfload) fluid_synth_sfload = nullptr;
    decltype(&::new_fluid_audio_driver2) new_fluid_audio_driver2 = nullptr;
    decltype(&::delete_fluid_audio_driver) delete_fluid_audio_driver = nullptr;
    decltype(&::fluid_set_log_function) fluid_set_log_function = nullptr;
    decltype(&::fluid_synth_noteon) fluid_synth_noteon = nullptr;
    decltype(&::fluid_synth_noteoff) fluid_synth_noteoff = nullptr;
    decltype(&::fluid_synth_key_pressure) fluid_synth_key_pressure = nullptr;
    decltype(&::fluid_synth_cc) fluid_synth_cc = nullptr;
    decltype(&::fluid_synth_program_change) fluid_synth_program_change = nullptr;
    decltype(&::fluid_synth_channel_pressure) fluid_synth_channel_pressure = nullptr;
    decltype(&::fluid_synth_pitch_bend) fluid_synth_pitch_bend = nullptr;
    decltype(&::fluid_synth_all_sounds_off) fluid_synth_all_sounds_off = nullptr;
    decltype(&::fluid_synth_system_reset) fluid_synth_system_reset = nullptr;
    decltype(&::fluid_synth_process) fluid_synth_process = nullptr;
    decltype(&::fluid_synth_write_s16) fluid_synth_write_s16 = nullptr;
};

// The loaded library's functions, loading it on the first call (any thread); nullptr with the
// loader's reason when it cannot be loaded.
const SynthLibrary *synth_library(std::string *error);

}  // namespace zemlo::media
