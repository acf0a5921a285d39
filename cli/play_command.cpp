// zemlo-cli play FILE [--wav OUT]: plays a MIDI file on the audio output, or renders it into a
// WAV file, and prints its length as mm:ss.
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "cli_args.h"
#include "midi_player.h"

namespace zemlo::cli {

namespace {

constexpr uint32_t kMillisPerSecond = 1000;
constexpr uint32_t kSecondsPerMinute = 60;
constexpr std::chrono::milliseconds kEndGrace{5000};

int run(const std::vector<std::string> &args);

const Command kCommand{"play", "FILE.mid [--wav OUT.wav]",
                       "play a MIDI file (or render it into a WAV file) and print its length", run};
const CommandRegistration kRegistration{kCommand};

int run(const std::vector<std::string> &args) {
    std::string error;
    auto parsed = parse_args(args, {"--wav"}, {}, &error);
    if (!parsed) {
        return usage_error(kCommand, error);
    }
    if (parsed->positional.size() != 1) {
        return usage_error(kCommand, "expected one MIDI file");
    }
    media::MidiPlayerOptions options = media::MidiPlayerOptions::from_environment();
    if (auto wav = parsed->value("--wav")) {
        options.wav_output = *wav;
    }
    media::MidiPlayer player(options);
    if (!player.open(parsed->positional[0])) {
        return fail(player.last_error());
    }
    // Rounded to the nearest second, as the melody panel shows it.
    const uint32_t length = player.length_ms();
    const uint32_t seconds = (length + kMillisPerSecond / 2) / kMillisPerSecond;
    std::printf("%02u:%02u\n", seconds / kSecondsPerMinute, seconds % kSecondsPerMinute);
    std::fflush(stdout);
    if (!player.play()) {
        return fail(player.last_error());
    }
    if (!player.wait_until_stopped(std::chrono::milliseconds(length) + kEndGrace)) {
        player.stop();
    }
    player.close();
    return kExitOk;
}

}  // namespace

}  // namespace zemlo::cli
