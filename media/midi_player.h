// MidiPlayer: plays a MIDI file on the PC with a General MIDI SoundFont, with its length and
// position in milliseconds, for the melody panel and the command line. Either the audio output
// plays it in real time, or (when a WAV path is set) play() renders the rest of the melody into
// that WAV file at once, which is how tests and machines without sound play.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace zemlo::media {

inline constexpr const char *kAudioWavVariable = "ZEMLO_AUDIO_WAV";
inline constexpr const char *kSoundFontVariable = "ZEMLO_SOUNDFONT";

struct MidiPlayerOptions {
    std::string soundfont;     // empty: $ZEMLO_SOUNDFONT, else the system's General MIDI SoundFont
    std::string wav_output;    // non-empty: render into this file instead of the audio output
    std::string audio_driver;  // empty: the synthesizer's default audio driver
    // Further string settings of the synthesizer, e.g. {"audio.alsa.device", "null"}.
    std::vector<std::pair<std::string, std::string>> audio_settings;

    // wav_output from $ZEMLO_AUDIO_WAV, soundfont from $ZEMLO_SOUNDFONT.
    static MidiPlayerOptions from_environment();
};

// Why the player could not do what it was asked, for a window that says it in its own language;
// detail is what the system or the synthesizer said (its own words), or empty.
enum class PlayerFailure {
    None,
    CannotOpen,        // the file cannot be opened; detail: the system's reason
    CannotRead,        // the file cannot be read; detail: the system's reason
    TooLarge,          // larger than a MIDI file can sensibly be
    NotMidi,           // not a MIDI file the player can play; detail: what was wrong
    NoSynthesizer,     // the synthesizer's library cannot be loaded; detail: the loader's reason
    SynthesizerSetUp,  // the synthesizer cannot be set up or started; detail: its reason
    NoSoundFont,       // the SoundFont cannot be loaded; detail: its path and the reason
    NoAudioOutput,     // no audio output could be opened; detail: the synthesizer's reason
    CannotWriteWav,    // the WAV rendering failed; detail: the reason
    NotOpen,           // play, stop or seek with no melody open
};

struct PlayerError {
    PlayerFailure failure = PlayerFailure::None;
    std::string detail;
};

// The length of the MIDI file's melody in milliseconds, read as play would read it but without
// the synthesizer; nothing when it cannot be read or is not MIDI.
std::optional<uint32_t> midi_file_length_ms(const std::string &path);

class MidiPlayer {
  public:
    explicit MidiPlayer(MidiPlayerOptions options = MidiPlayerOptions::from_environment());
    ~MidiPlayer();
    MidiPlayer(const MidiPlayer &) = delete;
    MidiPlayer &operator=(const MidiPlayer &) = delete;

    // Opens a MIDI file at its start. False, with last_error(), for a file that cannot be read,
    // is not MIDI, a SoundFont that cannot be loaded or an audio output that cannot be opened.
    bool open(const std::string &path);
    void close();
    bool is_open() const;

    uint32_t length_ms() const;
    uint32_t position_ms() const;

    // Plays from the current position to the end.
    bool play();
    bool stop();
    bool seek_to_start();
    // Moves to position_ms (the length at most), playing or not. What sounds stops; the programs,
    // controllers and pitch bends in force at that point are set, so the melody goes on from
    // there as it would have had it played through; notes begun before it stay silent.
    bool seek(uint32_t position_ms);
    bool playing() const;
    // Waits until the melody has played to its end or was stopped; false on timeout.
    bool wait_until_stopped(std::chrono::milliseconds timeout);

    // The last failure in English, for the command line.
    std::string last_error() const;
    // The same as a kind and the system's own words, for the window.
    const PlayerError &last_failure() const { return failure_; }

  private:
    struct Engine;
    bool fail(PlayerFailure failure, const std::string &text, std::string detail = {});

    MidiPlayerOptions options_;
    std::unique_ptr<Engine> engine_;
    std::string last_error_;
    PlayerError failure_;
};

}  // namespace zemlo::media
