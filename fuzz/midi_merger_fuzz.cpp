// Any bytes through the merger and into a handset melody file: no read outside the input, and
// what comes out is well formed: the sizes agree and every event carries its status byte. The
// melody is then cut to fit a limit taken from the input: the cut is as well formed and within
// the limit.
#include <cstddef>
#include <cstdint>
#include <span>

#include "handset_melody.h"
#include "melody_fit.h"
#include "midi_merger.h"
#include "midi_varlen.h"
#include "zemlo/byte_order.h"

namespace {

using zemlo::media::kHandsetMelodyHeaderBytes;

constexpr size_t kPrefixSizeBias = 9;
constexpr size_t kTrackLengthOffset = 12;

void check(bool ok) {
    if (!ok) {
        __builtin_trap();
    }
}

void check_melody(const std::vector<uint8_t> &m) {
    check(m.size() >= zemlo::media::kEmptyHandsetMelodyBytes);
    check(zemlo::read_le32(m.data() + 2) == m.size() - kPrefixSizeBias);
    check(zemlo::read_be32(m.data() + kTrackLengthOffset) == m.size() - kHandsetMelodyHeaderBytes);
    size_t pos = kHandsetMelodyHeaderBytes;
    const size_t events_end = m.size() - sizeof zemlo::media::kEndOfTrackEvent;
    while (pos < events_end) {
        auto delta = zemlo::media::read_varlen(m.data(), pos, events_end);
        check(delta.has_value());
        pos += delta->size;
        check(pos < events_end);
        const uint8_t status = m[pos++];
        switch (status & 0xF0) {
            case 0xC0:
            case 0xD0:
                pos += 1;
                break;
            case 0xF0:
                if (status == 0xFF) {  // only tempo is kept
                    check(pos + 1 < events_end && m[pos] == 0x51 && m[pos + 1] == 3);
                    pos += 5;
                } else {
                    check(status == 0xF0 && pos < events_end && m[pos] >= 5 && m[pos] <= 8);
                    pos += 1 + m[pos];
                }
                break;
            default:
                check(status >= 0x80);
                pos += 2;
                break;
        }
    }
    check(pos == events_end);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    zemlo::media::MidiMerger merger;
    const auto result = merger.merge(std::span<const uint8_t>(data, size));
    if (!result.ok()) {
        return 0;
    }
    auto melody = zemlo::media::handset_melody_from_intermediate(result.intermediate);
    check(melody.has_value());
    check_melody(*melody);
    (void)zemlo::media::handset_melody_has_notes(*melody);
    // A limit somewhere between the empty melody and the whole one, chosen by the input.
    const size_t span = melody->size() - zemlo::media::kEmptyHandsetMelodyBytes + 1;
    const size_t limit =
        zemlo::media::kEmptyHandsetMelodyBytes + (size == 0 ? 0 : data[0] * span / 256);
    const auto fit = zemlo::media::fit_handset_melody(*melody, limit);
    check(fit.has_value());
    check(fit->melody.size() <= limit);
    check_melody(fit->melody);
    check(fit->kept_micros <= fit->total_micros);
    return 0;
}
