// Builds MIDI files byte by byte for the melody tests, the benchmark and the fuzz seeds.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <random>
#include <vector>

#include "midi_varlen.h"

namespace zemlo::media::testing {

using Bytes = std::vector<uint8_t>;

class TrackBuilder {
  public:
    // delta, then the event bytes as given (a status byte or, for running status, data only).
    TrackBuilder &event(uint32_t delta, std::initializer_list<uint8_t> bytes) {
        varlen(delta);
        data_.insert(data_.end(), bytes);
        return *this;
    }
    TrackBuilder &event(uint32_t delta, const Bytes &bytes) {
        varlen(delta);
        data_.insert(data_.end(), bytes.begin(), bytes.end());
        return *this;
    }
    TrackBuilder &meta(uint32_t delta, uint8_t type, const Bytes &payload) {
        varlen(delta);
        data_.push_back(0xFF);
        data_.push_back(type);
        varlen(static_cast<uint32_t>(payload.size()));
        data_.insert(data_.end(), payload.begin(), payload.end());
        return *this;
    }
    TrackBuilder &sysex(uint32_t delta, const Bytes &payload) {
        varlen(delta);
        data_.push_back(0xF0);
        varlen(static_cast<uint32_t>(payload.size()));
        data_.insert(data_.end(), payload.begin(), payload.end());
        return *this;
    }
    TrackBuilder &tempo(uint32_t delta, uint32_t micros_per_quarter) {
        return meta(delta, 0x51,
                    {static_cast<uint8_t>(micros_per_quarter >> 16),
                     static_cast<uint8_t>(micros_per_quarter >> 8),
                     static_cast<uint8_t>(micros_per_quarter)});
    }
    TrackBuilder &text(uint32_t delta, const char *s) {
        Bytes b;
        for (; *s != '\0'; ++s) {
            b.push_back(static_cast<uint8_t>(*s));
        }
        return meta(delta, 0x01, b);
    }
    TrackBuilder &end(uint32_t delta = 0) { return meta(delta, 0x2F, {}); }
    TrackBuilder &raw(std::initializer_list<uint8_t> bytes) {
        data_.insert(data_.end(), bytes);
        return *this;
    }
    const Bytes &bytes() const { return data_; }

  private:
    void varlen(uint32_t v) {
        uint8_t b[kMaxVarLenBytes];
        const size_t n = write_varlen(v, b);
        data_.insert(data_.end(), b, b + n);
    }
    Bytes data_;
};

inline void put_be32(Bytes &out, uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) {
        out.push_back(static_cast<uint8_t>(v >> shift));
    }
}

inline void put_be16(Bytes &out, uint16_t v) {
    out.push_back(static_cast<uint8_t>(v >> 8));
    out.push_back(static_cast<uint8_t>(v));
}

inline void put_chunk(Bytes &out, const char *tag, const Bytes &data) {
    out.insert(out.end(), tag, tag + 4);
    put_be32(out, static_cast<uint32_t>(data.size()));
    out.insert(out.end(), data.begin(), data.end());
}

// A whole file; declared_tracks defaults to the number of tracks given.
inline Bytes midi_file(uint16_t format, uint16_t division, const std::vector<TrackBuilder> &tracks,
                       int declared_tracks = -1) {
    Bytes out = {'M', 'T', 'h', 'd'};
    put_be32(out, 6);
    put_be16(out, format);
    put_be16(out, static_cast<uint16_t>(declared_tracks < 0 ? tracks.size() : declared_tracks));
    put_be16(out, division);
    for (const auto &t : tracks) {
        put_chunk(out, "MTrk", t.bytes());
    }
    return out;
}

// A format-1 file with a tempo track and note tracks that use everything a real song does:
// tempo changes, kept and dropped system-exclusive messages, text, running status, program
// changes, controllers and pitch bends. Roughly bytes_per_track bytes per note track.
inline Bytes rich_midi_file(unsigned seed, int note_tracks, size_t bytes_per_track) {
    std::mt19937 rng(seed);
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    std::vector<TrackBuilder> tracks(1);
    TrackBuilder &conductor = tracks[0];
    conductor.text(0, "conductor")
        .sysex(0, {0x7E, 0x7F, 0x09, 0x01, 0xF7})
        .tempo(0, 500000)
        .tempo(480, 400000)
        .text(240, "verse")
        .tempo(960, 600000)
        .end(120);
    for (int t = 0; t < note_tracks; ++t) {
        TrackBuilder tr;
        const auto ch = static_cast<uint8_t>(t % 16);
        tr.event(0, {static_cast<uint8_t>(0xC0 | ch), static_cast<uint8_t>(pick(0, 127))});
        if (t % 3 == 0) {
            tr.sysex(0, {0x41, 0x10, 0x42, 0x12, 0x40, 0x00, 0x7F, 0x00, 0x41, 0xF7});  // dropped
        }
        bool running = false;
        while (tr.bytes().size() < bytes_per_track) {
            const auto delta = static_cast<uint32_t>(pick(0, 4) == 0 ? 0 : pick(1, 300));
            const int kind = pick(0, 19);
            const auto key = static_cast<uint8_t>(pick(30, 90));
            if (kind < 12) {
                // Note on, then off as note-on with velocity 0; running status when possible.
                if (running) {
                    tr.event(delta, {key, static_cast<uint8_t>(pick(1, 127))});
                } else {
                    tr.event(delta, {static_cast<uint8_t>(0x90 | ch), key,
                                     static_cast<uint8_t>(pick(1, 127))});
                }
                tr.event(static_cast<uint32_t>(pick(1, 200)), {key, 0});
                running = true;
            } else if (kind < 14) {
                tr.event(delta,
                         {static_cast<uint8_t>(0xB0 | ch), 7, static_cast<uint8_t>(pick(0, 127))});
                running = false;
            } else if (kind < 16) {
                tr.event(delta,
                         {static_cast<uint8_t>(0xE0 | ch), static_cast<uint8_t>(pick(0, 127)),
                          static_cast<uint8_t>(pick(0, 127))});
                running = false;
            } else if (kind < 17) {
                tr.text(delta, "lyric");
                running = false;
            } else if (kind < 18) {
                tr.event(delta, {static_cast<uint8_t>(0x80 | ch), key, 64});
                running = false;
            } else {
                tr.event(delta,
                         {static_cast<uint8_t>(0xD0 | ch), static_cast<uint8_t>(pick(0, 127))});
                running = false;
            }
        }
        tr.end(static_cast<uint32_t>(pick(0, 100)));
        tracks.push_back(tr);
    }
    return midi_file(1, 480, tracks);
}

// A one-track song of notes after one another, a quarter note each at 120 beats a minute,
// written with running status: 7 source bytes a note, 9 once merged (every event then carries
// its status), so 9000 notes make a source under 64K and a melody near 80K.
inline Bytes long_song(int notes) {
    TrackBuilder t;
    t.tempo(0, 500000);
    for (int i = 0; i < notes; ++i) {
        const auto key = static_cast<uint8_t>(48 + i % 24);
        if (i == 0) {
            t.event(0, {0x90, key, 100});
        } else {
            t.event(0, {key, 100});
        }
        t.event(480, {key, 0});
    }
    t.end();
    return midi_file(0, 480, {t});
}

}  // namespace zemlo::media::testing
