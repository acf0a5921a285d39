// How long a melody takes from the MIDI file to the handset melody file: the merge alone in
// memory, and the whole conversion with its work files, for a 60 KB song of 32 tracks. The
// target is 5 ms. Also how much faster than real time the player renders a melody to WAV.
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "handset_melody.h"
#include "melody_conversion.h"
#include "melody_midi_builder.h"
#include "midi_merger.h"
#include "midi_player.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using namespace zemlo::media;

constexpr int kRounds = 200;
constexpr double kTargetMs = 5.0;
constexpr int kNoteTracks = 31;  // and the tempo track: 32
constexpr size_t kBytesPerTrack = 1900;
constexpr size_t kTargetSourceBytes = 60 * 1024;

double ms_since(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

}  // namespace

int main() {
    const fs::path dir =
        fs::temp_directory_path() / ("zemlo-melody-bench-" + std::to_string(getpid()));
    fs::create_directories(dir / "work");
    ::setenv("ZEMLO_WORK_DIR", (dir / "work").c_str(), 1);

    size_t per_track = kBytesPerTrack;
    testing::Bytes song = testing::rich_midi_file(11, kNoteTracks, per_track);
    while (song.size() > kTargetSourceBytes) {
        song = testing::rich_midi_file(11, kNoteTracks, --per_track);
    }
    const fs::path source = dir / "song.mid";
    std::ofstream(source, std::ios::binary)
        .write(reinterpret_cast<const char *>(song.data()), static_cast<long>(song.size()));

    std::vector<double> merge_ms, file_ms;
    size_t melody_bytes = 0;
    for (int i = 0; i < kRounds; ++i) {
        auto start = Clock::now();
        MidiMerger merger;
        auto melody = handset_melody_from_intermediate(merger.merge(song).intermediate);
        merge_ms.push_back(ms_since(start));
        melody_bytes = melody ? melody->size() : 0;

        start = Clock::now();
        const MelodyConversion c = convert_melody_file(source.string(), (dir / "tmp.dwn").string());
        file_ms.push_back(ms_since(start));
        if (!c.written) {
            std::fprintf(stderr, "conversion failed: %s\n", c.error.c_str());
            return 1;
        }
    }
    std::printf("source %zu bytes, 32 tracks -> melody %zu bytes\n", song.size(), melody_bytes);
    std::printf("merge in memory:          %7.3f ms  (%.2f of the %.0f ms target)\n",
                median(merge_ms), median(merge_ms) / kTargetMs, kTargetMs);
    std::printf("conversion with files:    %7.3f ms  (%.2f of the %.0f ms target)\n",
                median(file_ms), median(file_ms) / kTargetMs, kTargetMs);

    MidiPlayerOptions options;
    options.wav_output = (dir / "song.wav").string();
    MidiPlayer player(options);
    if (player.open(source.string())) {
        const auto start = Clock::now();
        player.play();
        const double render = ms_since(start);
        std::printf("WAV rendering:            %.1f x real time (%u ms of melody in %.0f ms)\n",
                    player.length_ms() / render, player.length_ms(), render);
    } else {
        std::printf("WAV rendering: skipped (%s)\n", player.last_error().c_str());
    }
    fs::remove_all(dir);
    return 0;
}
