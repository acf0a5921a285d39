// Cutting a handset melody file that is over the handset's size limit, so that the start of the
// song can still be sent: the melody ends after the last whole event that keeps the file within
// the limit, every note still sounding there (and a held sustain pedal) is released at that
// moment, and the end-of-track follows. Pure logic over the bytes, shared by the command line and
// the melody panel, so both cut the same file at the same place.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace zemlo::media {

struct MelodyFit {
    std::vector<uint8_t> melody;  // the handset melody file, cut or as it was
    bool cut = false;
    size_t events_kept = 0;
    size_t events_total = 0;  // events before the end-of-track
    size_t notes_ended = 0;   // notes and pedals released at the cut
    uint64_t kept_micros = 0;
    uint64_t total_micros = 0;
};

// The melody cut to at most limit bytes, or as it was when it is within the limit already.
// nullopt when the bytes are not a handset melody file or the limit is below the size of an
// empty melody.
std::optional<MelodyFit> fit_handset_melody(std::span<const uint8_t> melody, size_t limit);

// Whether any note is struck in the handset melody file (a note-on with a velocity above 0).
bool handset_melody_has_notes(std::span<const uint8_t> melody);

// The playing time of a handset melody file: the time of its end-of-track.
uint64_t handset_melody_micros(std::span<const uint8_t> melody);

}  // namespace zemlo::media
