#include "midi_merger.h"

#include <algorithm>
#include <cstring>

#include "midi_varlen.h"
#include "zemlo/byte_order.h"

namespace zemlo::media {

namespace {

constexpr uint8_t kHeaderTag[4] = {'M', 'T', 'h', 'd'};
constexpr uint8_t kTrackTag[4] = {'M', 'T', 'r', 'k'};
constexpr uint32_t kHeaderLength = 6;
constexpr size_t kHeaderLengthOffset = 4;
constexpr size_t kFormatOffset = 8;
constexpr size_t kTrackCountOffset = 10;
constexpr size_t kDivisionOffset = 12;
constexpr size_t kFirstChunkOffset = 14;
constexpr size_t kChunkHeaderBytes = 8;
constexpr size_t kChunkLengthOffset = 4;
constexpr uint16_t kMaxFormat = 2;
constexpr uint8_t kTrackEnding[3] = {0xFF, 0x2F, 0x00};

constexpr uint8_t kStatusBit = 0x80;
constexpr uint8_t kNoteOff = 0x80;
constexpr uint8_t kNoteOn = 0x90;
constexpr uint8_t kKeyPressure = 0xA0;
constexpr uint8_t kControlChange = 0xB0;
constexpr uint8_t kProgramChange = 0xC0;
constexpr uint8_t kChannelPressure = 0xD0;
constexpr uint8_t kPitchBend = 0xE0;
constexpr uint8_t kSystem = 0xF0;
constexpr uint8_t kKindMask = 0xF0;
constexpr uint8_t kSysEx = 0xF0;
constexpr uint8_t kSysExEscape = 0xF7;
constexpr uint8_t kMeta = 0xFF;
constexpr uint8_t kMetaTempo = 0x51;
constexpr uint8_t kMetaEndOfTrack = 0x2F;
constexpr uint32_t kTempoLength = 3;

// The system-exclusive messages the handset acts on: GM system on, and two manufacturers' resets
// that select a sound set. Length limits are of the message data after the length.
constexpr uint32_t kSysExMinLength = 5;
constexpr uint32_t kSysExMaxLength = 8;
constexpr uint8_t kGmSystemOn[5] = {0x7E, 0x7F, 0x09, 0x01, 0xF7};
constexpr uint8_t kSoundSetA[3] = {0x5D, 0x0E, 0x08};
constexpr uint8_t kSoundSetAMaxBank = 0x19;
constexpr uint8_t kSoundSetAAllBanks = 0x7F;
constexpr uint8_t kSoundSetB[3] = {0x44, 0x7E, 0x04};
constexpr uint8_t kSoundSetBModes[3] = {0x01, 0x02, 0x05};

bool starts_with(const uint8_t *data, const uint8_t *prefix, size_t n) {
    return std::memcmp(data, prefix, n) == 0;
}

bool kept_sysex(const uint8_t *data, uint32_t length) {
    if (length < kSysExMinLength || length > kSysExMaxLength) {
        return false;
    }
    if (starts_with(data, kGmSystemOn, sizeof kGmSystemOn)) {
        return true;
    }
    const uint8_t x = data[sizeof kSoundSetA];
    if (starts_with(data, kSoundSetA, sizeof kSoundSetA)) {
        return x <= kSoundSetAMaxBank || x == kSoundSetAAllBanks;
    }
    if (starts_with(data, kSoundSetB, sizeof kSoundSetB)) {
        return std::find(std::begin(kSoundSetBModes), std::end(kSoundSetBModes), x) !=
               std::end(kSoundSetBModes);
    }
    return false;
}

uint32_t saturating_add(uint32_t a, uint32_t b) {
    const uint64_t sum = static_cast<uint64_t>(a) + b;
    return sum > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(sum);
}

}  // namespace

const char *describe(MidiSourceError error) {
    switch (error) {
        case MidiSourceError::kNone:
            return "no error";
        case MidiSourceError::kTooLarge:
            return "the file is larger than 65536 bytes";
        case MidiSourceError::kNotMidi:
            return "not a standard MIDI file (no MThd header of length 6)";
        case MidiSourceError::kBadFormat:
            return "unknown MIDI file format (above 2)";
        case MidiSourceError::kNotTrackChunk:
            return "a chunk where a track was expected is not an MTrk chunk";
    }
    return "unknown error";
}

const char *describe(MergeStop stop) {
    switch (stop) {
        case MergeStop::kComplete:
            return "complete";
        case MergeStop::kBadTempoLength:
            return "a tempo event whose length is not 3";
        case MergeStop::kBadEndOfTrackLength:
            return "an end-of-track event whose length is not 0";
        case MergeStop::kBadStatus:
            return "a system status byte that has no place in a MIDI file";
    }
    return "unknown";
}

MidiSourceError MidiMerger::scan_header(MergeResult &result) {
    const uint8_t *src = source_.data();
    const size_t size = source_.size();
    if (size > kMaxMidiSourceBytes) {
        return MidiSourceError::kTooLarge;
    }
    if (size < kFirstChunkOffset || !starts_with(src, kHeaderTag, sizeof kHeaderTag) ||
        read_be32(src + kHeaderLengthOffset) != kHeaderLength) {
        return MidiSourceError::kNotMidi;
    }
    result.format = read_be16(src + kFormatOffset);
    if (result.format > kMaxFormat) {
        return MidiSourceError::kBadFormat;
    }
    const size_t declared = std::min<size_t>(read_be16(src + kTrackCountOffset), kMaxMergedTracks);
    result.division = read_be16(src + kDivisionOffset);

    size_t chunk = kFirstChunkOffset;
    track_count_ = 0;
    for (size_t i = 0; i < declared; ++i) {
        if (chunk + kChunkHeaderBytes > size || !starts_with(src + chunk, kTrackTag, 4)) {
            return MidiSourceError::kNotTrackChunk;
        }
        const uint64_t begin = chunk + kChunkHeaderBytes;
        const uint64_t end = begin + read_be32(src + chunk + kChunkLengthOffset);
        // A track that does not end properly (or claims more bytes than the file has) ends the
        // scan: it and every later track are left out, which is not an error.
        if (end > size || end < begin + sizeof kTrackEnding ||
            !starts_with(src + end - sizeof kTrackEnding, kTrackEnding, sizeof kTrackEnding)) {
            break;
        }
        Track &t = tracks_[track_count_++];
        t.position = static_cast<uint32_t>(begin);
        t.end = static_cast<uint32_t>(end);
        chunk = static_cast<size_t>(end);
    }
    return MidiSourceError::kNone;
}

void MidiMerger::read_wait(Track &track) {
    track.finished = true;
    if (track.position >= track.end) {
        return;
    }
    auto delta = read_varlen(source_.data(), track.position, track.end);
    if (!delta) {
        track.position = track.end;
        return;
    }
    track.position += static_cast<uint32_t>(delta->size);
    track.wait = delta->value;
    track.finished = false;
}

int MidiMerger::pick_track() const {
    // The smallest wait, the lowest track on ties: one key holds both, so the choice is a plain
    // minimum without data-dependent branches.
    constexpr uint64_t kNone = UINT64_MAX;
    constexpr int kIndexBits = 8;
    uint64_t best = kNone;
    for (size_t i = 0; i < track_count_; ++i) {
        const Track &t = tracks_[i];
        const uint64_t key = t.finished ? kNone : (static_cast<uint64_t>(t.wait) << kIndexBits) | i;
        best = std::min(best, key);
    }
    return best == kNone ? -1 : static_cast<int>(best & ((1u << kIndexBits) - 1));
}

bool MidiMerger::another_unfinished(size_t picked) const {
    for (size_t i = 0; i < track_count_; ++i) {
        if (i != picked && !tracks_[i].finished) {
            return true;
        }
    }
    return false;
}

void MidiMerger::stage(uint8_t byte) {
    if (staged_size_ < kStagedMax) {
        staged_[staged_size_++] = byte;
    }
}

void MidiMerger::stage_delta(uint32_t wait) {
    const uint32_t delta = saturating_add(wait, carried_delta_);
    carried_delta_ = 0;
    uint8_t bytes[kMaxVarLenBytes];
    const size_t n = write_varlen(delta, bytes);
    for (size_t i = 0; i < n; ++i) {
        stage(bytes[i]);
    }
}

MidiMerger::Step MidiMerger::read_system_event(Track &track, uint8_t status, MergeResult &result) {
    const uint8_t *src = source_.data();
    if (status != kSysEx && status != kSysExEscape && status != kMeta) {
        return Step::kError;
    }
    uint8_t meta_type = 0;
    if (status == kMeta) {
        if (track.position >= track.end) {
            return Step::kOverrun;
        }
        meta_type = src[track.position++];
    }
    auto length = read_varlen(src, track.position, track.end);
    if (!length) {
        return Step::kOverrun;
    }
    const uint32_t data = track.position + static_cast<uint32_t>(length->size);
    if (static_cast<uint64_t>(data) + length->value > track.end) {
        return Step::kOverrun;
    }
    if (status == kMeta && meta_type == kMetaTempo && length->value != kTempoLength) {
        result.stop = MergeStop::kBadTempoLength;
        return Step::kError;
    }
    if (status == kMeta && meta_type == kMetaEndOfTrack && length->value != 0) {
        result.stop = MergeStop::kBadEndOfTrackLength;
        return Step::kError;
    }
    track.position = data + length->value;

    if (status == kSysEx && kept_sysex(src + data, length->value)) {
        stage_delta(track.wait);
        stage(kSysEx);
        stage(static_cast<uint8_t>(length->value));
        for (uint32_t i = 0; i < length->value; ++i) {
            stage(src[data + i]);
        }
        return Step::kKeep;
    }
    if (status == kMeta && meta_type == kMetaTempo) {
        stage_delta(track.wait);
        stage(kMeta);
        stage(kMetaTempo);
        stage(static_cast<uint8_t>(kTempoLength));
        for (uint32_t i = 0; i < kTempoLength; ++i) {
            stage(src[data + i]);
        }
        return Step::kKeep;
    }
    if (status == kMeta && meta_type == kMetaEndOfTrack) {
        return Step::kEndOfTrack;
    }
    return Step::kDrop;
}

MidiMerger::Step MidiMerger::read_event(Track &track, MergeResult &result) {
    const uint8_t *src = source_.data();
    if (track.position >= track.end) {
        return Step::kOverrun;
    }
    result.stop_offset = track.position;
    uint8_t status = track.running_status;
    if ((src[track.position] & kStatusBit) != 0) {
        status = src[track.position++];
        track.running_status = status;
    }
    size_t data_bytes = 0;
    switch (status & kKindMask) {
        case kNoteOff:
        case kNoteOn:
        case kKeyPressure:
        case kControlChange:
        case kPitchBend:
            data_bytes = 2;
            break;
        case kProgramChange:
        case kChannelPressure:
            data_bytes = 1;
            break;
        case kSystem: {
            const Step step = read_system_event(track, status, result);
            if (step == Step::kError && result.stop == MergeStop::kComplete) {
                result.stop = MergeStop::kBadStatus;
            }
            return step;
        }
        default:
            // A data byte on a track that has no status yet: nothing to keep. The byte is left
            // to be read as the next delta, and the time is carried like a dropped event's.
            return Step::kDrop;
    }
    if (track.position + data_bytes > track.end) {
        return Step::kOverrun;
    }
    stage_delta(track.wait);
    stage(status);  // always written: the output never relies on running status
    for (size_t i = 0; i < data_bytes; ++i) {
        stage(src[track.position++]);
    }
    return Step::kKeep;
}

void MidiMerger::advance(size_t picked) {
    const uint32_t d = tracks_[picked].wait;
    for (size_t i = 0; i < track_count_; ++i) {
        Track &t = tracks_[i];
        if (t.finished) {
            continue;
        }
        if (t.position < t.end) {
            t.wait -= d;
        } else {
            t.finished = true;
        }
    }
    read_wait(tracks_[picked]);
}

MergeResult MidiMerger::merge(std::span<const uint8_t> source) {
    source_ = source;
    tracks_ = {};
    track_count_ = 0;
    carried_delta_ = 0;
    staged_size_ = 0;

    MergeResult result;
    result.error = scan_header(result);
    if (!result.ok()) {
        return result;
    }
    result.tracks = static_cast<uint16_t>(track_count_);

    std::vector<uint8_t> &out = result.intermediate;
    out.reserve(kIntermediateHeaderBytes + 2 * source.size());
    out.resize(kIntermediateHeaderBytes);
    std::memcpy(out.data(), kHeaderTag, 4);
    write_be32(out.data() + kHeaderLengthOffset, kHeaderLength);
    write_be16(out.data() + kFormatOffset, 0);
    write_be16(out.data() + kTrackCountOffset, 1);
    write_be16(out.data() + kDivisionOffset, result.division);
    std::memcpy(out.data() + kFirstChunkOffset, kTrackTag, 4);
    write_be32(out.data() + kFirstChunkOffset + kChunkLengthOffset, kTrackLengthPlaceholder);

    for (size_t i = 0; i < track_count_; ++i) {
        read_wait(tracks_[i]);
        tracks_[i].running_status = 0;
    }

    for (;;) {
        const int picked_index = pick_track();
        if (picked_index < 0) {
            break;
        }
        const auto picked = static_cast<size_t>(picked_index);
        Track &track = tracks_[picked];
        staged_size_ = 0;
        const Step step = read_event(track, result);
        if (step == Step::kError) {
            break;
        }
        if (step == Step::kOverrun) {
            ++result.tracks_cut;
        }
        if (step == Step::kEndOfTrack || step == Step::kOverrun) {
            // The track is over: whatever lies between here and its chunk end is not read.
            track.position = track.end;
            if (!another_unfinished(picked)) {
                break;
            }
        }
        if (step != Step::kKeep) {
            carried_delta_ = saturating_add(carried_delta_, track.wait);
        }
        advance(picked);
        out.insert(out.end(), staged_.begin(), staged_.begin() + static_cast<long>(staged_size_));
    }
    if (result.stop == MergeStop::kComplete) {
        result.stop_offset = 0;
    }
    return result;
}

}  // namespace zemlo::media
