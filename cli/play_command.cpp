// zemlo-cli play FILE [--wav OUT]: plays a MIDI file on the audio output, or renders it into a
// WAV file, and prints its length as mm:ss.
#include <chrono>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "cli_args.h"
#include "interrupt_watch.h"
#include "messages.h"
#include "midi_player.h"
#include "output_paths.h"
#include "stderr_silenced.h"
#include "wav_writer.h"

namespace zemlo::cli {

namespace {

constexpr uint32_t kMillisPerSecond = 1000;
constexpr uint32_t kSecondsPerMinute = 60;
constexpr std::chrono::milliseconds kEndGrace{5000};

int run(const std::vector<std::string> &args);

const Command kCommand{"play", "FILE.mid [--wav OUT.wav]", app::MessageId::SummaryPlay, run};
const CommandRegistration kRegistration{kCommand};

int run(const std::vector<std::string> &args) {
    std::string error;
    auto parsed = parse_args(args, {"--wav"}, {}, &error);
    if (!parsed) {
        return usage_error(kCommand, error);
    }
    if (parsed->positional.size() != 1) {
        return usage_error(kCommand, app::render(app::MessageId::ExpectedOneMidi));
    }
    const std::string &song = parsed->positional[0];
    if (const auto refusal = refuse_input(song)) {
        return usage_error(kCommand, *refusal);
    }
    media::MidiPlayerOptions options = media::MidiPlayerOptions::from_environment();
    const auto wav = parsed->value("--wav");
    if (wav) {
        // An empty name would mean the speaker to the player: refused, not played aloud.
        if (const auto refusal = refuse_outputs(song, {{"--wav", *wav}})) {
            return usage_error(kCommand, *refusal);
        }
        options.wav_output = *wav;
    }
    // Ctrl-C while rendering stops at the next block and removes the unfinished WAV file; a
    // second one ends the program at once.
    std::optional<InterruptWatch> interrupt;
    if (wav) {
        interrupt.emplace([] { media::abandon_wav_output(); });
    }
    media::MidiPlayer player(options);
    bool opened = false;
    if (wav) {
        opened = player.open(song);
    } else {
        const StderrSilenced quiet;
        opened = player.open(song);
    }
    if (!opened) {
        if (player.last_failure().failure == media::PlayerFailure::NoAudioOutput) {
            // No sound device here (a server, a container, a remote login): a file still works.
            return fail(player.last_error() + "\n" +
                        app::render(app::MessageId::NoSoundDevice, {song}));
        }
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
