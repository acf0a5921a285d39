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

struct MelodyConversion {
    bool written = false;
    std::string error;  // why the output was not written
    MidiSourceError source_error = MidiSourceError::kNone;
    MergeStop stop = MergeStop::kComplete;  // an early end keeps the events before it
    size_t stop_offset = 0;
    size_t tracks = 0;
    size_t tracks_cut = 0;
    size_t output_bytes = 0;
};

MelodyConversion convert_melody_file(const std::string &source_path,
                                     const std::string &output_path);

}  // namespace zemlo::media
