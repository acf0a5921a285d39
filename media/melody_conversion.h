// Converting a MIDI file on disk into the handset melody file. The merger and the file layout are
// pure; this is the file edge: the source is read whole (at most 65536 bytes), the intermediate
// and format-0 files are written new in the conversion's own folder inside the private work
// folder (run_folder.h), which is always removed again, and the output is the only file written
// outside it.
#pragma once

#include <cstddef>
#include <string>

#include "midi_merger.h"

namespace zemlo::media {

// What the caller asks beyond the conversion itself.
struct MelodyOptions {
    // Cut the melody to at most this many bytes when it is longer (see melody_fit.h); 0 never
    // cuts.
    size_t fit_limit = 0;
    // Write nothing when the melody strikes no note: a silent ring tone is no use to anyone.
    bool refuse_without_notes = false;
};

struct MelodyConversion {
    bool written = false;
    std::string error;           // why the output was not written
    bool without_notes = false;  // refused for striking no note
    MidiSourceError source_error = MidiSourceError::kNone;
    MergeStop stop = MergeStop::kComplete;  // an early end keeps the events before it
    size_t stop_offset = 0;
    size_t tracks = 0;
    size_t tracks_cut = 0;
    size_t output_bytes = 0;
    size_t uncut_bytes = 0;  // the melody before a cut (output_bytes when there was none)
    bool cut = false;
    uint64_t kept_micros = 0;   // with a cut: how long the melody still plays
    uint64_t total_micros = 0;  // and how long it played whole
};

// The same conversion in memory, writing nothing: what the melody panel shows before a download
// (output_bytes, and the cut). The work files only carry the bytes from one step to the next, so
// the sizes are those the conversion gives.
MelodyConversion measure_melody_file(const std::string &source_path,
                                     const MelodyOptions &options = {});

MelodyConversion convert_melody_file(const std::string &source_path, const std::string &output_path,
                                     const MelodyOptions &options = {});

}  // namespace zemlo::media
