#include "synth_library.h"

#include "deferred_library.h"

namespace zemlo::media {

namespace {

DeferredLibrary g_library(ZEMLO_SYNTH_SONAME);
SynthLibrary g_functions;

bool bind_all(void *h, std::string *e) {
    SynthLibrary &f = g_functions;
    return bind_function(h, "new_fluid_settings", f.new_fluid_settings, e) &&
           bind_function(h, "delete_fluid_settings", f.delete_fluid_settings, e) &&
           bind_function(h, "fluid_settings_setnum", f.fluid_settings_setnum, e) &&
           bind_function(h, "fluid_settings_setstr", f.fluid_settings_setstr, e) &&
           bind_function(h, "new_fluid_synth", f.new_fluid_synth, e) &&
           bind_function(h, "delete_fluid_synth", f.delete_fluid_synth, e) &&
           bind_function(h, "fluid_synth_sfload", f.fluid_synth_sfload, e) &&
           bind_function(h, "new_fluid_audio_driver2", f.new_fluid_audio_driver2, e) &&
           bind_function(h, "delete_fluid_audio_driver", f.delete_fluid_audio_driver, e) &&
           bind_function(h, "fluid_set_log_function", f.fluid_set_log_function, e) &&
           bind_function(h, "fluid_synth_noteon", f.fluid_synth_noteon, e) &&
           bind_function(h, "fluid_synth_noteoff", f.fluid_synth_noteoff, e) &&
           bind_function(h, "fluid_synth_key_pressure", f.fluid_synth_key_pressure, e) &&
           bind_function(h, "fluid_synth_cc", f.fluid_synth_cc, e) &&
           bind_function(h, "fluid_synth_program_change", f.fluid_synth_program_change, e) &&
           bind_function(h, "fluid_synth_channel_pressure", f.fluid_synth_channel_pressure, e) &&
           bind_function(h, "fluid_synth_pitch_bend", f.fluid_synth_pitch_bend, e) &&
           bind_function(h, "fluid_synth_all_sounds_off", f.fluid_synth_all_sounds_off, e) &&
           bind_function(h, "fluid_synth_system_reset", f.fluid_synth_system_reset, e) &&
           bind_function(h, "fluid_synth_process", f.fluid_synth_process, e) &&
           bind_function(h, "fluid_synth_write_s16", f.fluid_synth_write_s16, e);
}

}  // namespace

const SynthLibrary *synth_library(std::string *error) {
    return g_library.load(bind_all, error) ? &g_functions : nullptr;
}

}  // namespace zemlo::media
