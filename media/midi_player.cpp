#include "midi_player.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <optional>
#include <vector>

#include "midi_reader.h"
#include "midi_schedule.h"
#include "source_file.h"
#include "synth_library.h"
#include "wav_writer.h"

namespace zemlo::media {

namespace {

constexpr const char *kSystemSoundFonts[] = {"/usr/share/sounds/sf2/TimGM6mb.sf2",
                                             "/usr/share/sounds/sf2/default-GM.sf2"};
constexpr size_t kMaxMidiFileBytes = 16u << 20;
constexpr uint32_t kSampleRate = 44100;
constexpr uint16_t kChannels = 2;
constexpr double kSynthGain = 0.6;
constexpr uint64_t kMicrosPerSecond = 1000000;
constexpr uint64_t kMillisPerSecond = 1000;
constexpr int kWavBlockFrames = 512;
constexpr uint64_t kMaxWavSeconds = 3600;
constexpr int kMaxOutputBuffers = 16;
constexpr int kAllChannels = -1;
constexpr int kPitchBendLowBits = 7;

// The synthesizer reports through a process-wide log hook; its last error completes our texts.
std::mutex g_log_mutex;
std::string g_last_synth_error;

void capture_log(int, const char *message, void *) {
    std::lock_guard lock(g_log_mutex);
    g_last_synth_error = message != nullptr ? message : "";
}

void quiet_log(int, const char *, void *) {}

void install_log_hooks(const SynthLibrary &fl) {
    static std::once_flag once;
    std::call_once(once, [&fl] {
        fl.fluid_set_log_function(FLUID_PANIC, capture_log, nullptr);
        fl.fluid_set_log_function(FLUID_ERR, capture_log, nullptr);
        fl.fluid_set_log_function(FLUID_WARN, quiet_log, nullptr);
        fl.fluid_set_log_function(FLUID_INFO, quiet_log, nullptr);
        fl.fluid_set_log_function(FLUID_DBG, quiet_log, nullptr);
    });
}

// What the synthesizer said last, taken so that it is not reported twice.
std::string take_synth_error() {
    std::lock_guard lock(g_log_mutex);
    std::string text = g_last_synth_error;
    g_last_synth_error.clear();
    return text;
}

std::string in_brackets(const std::string &detail) {
    return detail.empty() ? std::string() : " (" + detail + ")";
}

std::string find_soundfont(const std::string &chosen) {
    if (!chosen.empty()) {
        return chosen;
    }
    if (const char *env = std::getenv(kSoundFontVariable); env != nullptr && *env != '\0') {
        return env;
    }
    std::error_code ec;
    for (const char *path : kSystemSoundFonts) {
        if (std::filesystem::exists(path, ec)) {
            return path;
        }
    }
    return kSystemSoundFonts[0];
}

struct FileFailure {
    PlayerFailure failure = PlayerFailure::None;
    std::string text;    // English, with the path
    std::string detail;  // the system's reason
};

std::optional<std::vector<uint8_t>> read_file(const std::string &path, FileFailure *error) {
    // Only a regular file is read: a pipe or a device given as the melody must not hang the player.
    const SourceFile source = open_source_file(path);
    if (source.fd < 0) {
        *error = {PlayerFailure::CannotOpen, "cannot open " + path + ": " + source.reason,
                  source.reason};
        return std::nullopt;
    }
    std::FILE *f = ::fdopen(source.fd, "rb");
    if (f == nullptr) {
        const std::string reason = std::strerror(errno);
        ::close(source.fd);
        *error = {PlayerFailure::CannotOpen, "cannot open " + path + ": " + reason, reason};
        return std::nullopt;
    }
    // Read in blocks up to the limit: a huge file is never read whole, and a small one costs
    // no more than its size.
    constexpr size_t kBlock = 64 * 1024;
    std::vector<uint8_t> bytes;
    size_t n = 0;
    do {
        bytes.resize(bytes.size() + kBlock);
        n = std::fread(bytes.data() + bytes.size() - kBlock, 1, kBlock, f);
        bytes.resize(bytes.size() - kBlock + n);
    } while (n == kBlock && bytes.size() <= kMaxMidiFileBytes);
    const bool failed = std::ferror(f) != 0;
    const std::string reason = failed ? std::strerror(errno) : std::string();
    std::fclose(f);
    if (failed) {
        *error = {PlayerFailure::CannotRead, "cannot read " + path + ": " + reason, reason};
        return std::nullopt;
    }
    if (bytes.size() > kMaxMidiFileBytes) {
        *error = {PlayerFailure::TooLarge, path + " is too large for a MIDI file", {}};
        return std::nullopt;
    }
    return bytes;
}

uint64_t frames_at(uint64_t micros) {
    return micros * kSampleRate / kMicrosPerSecond;
}

}  // namespace

std::optional<uint32_t> midi_file_length_ms(const std::string &path) {
    FileFailure failure;
    const auto bytes = read_file(path, &failure);
    if (!bytes) {
        return std::nullopt;
    }
    std::string error;
    const auto file = read_midi(*bytes, &error);
    if (!file) {
        return std::nullopt;
    }
    const uint64_t ms = make_midi_schedule(*file).length_micros / kMillisPerSecond;
    return static_cast<uint32_t>(std::min<uint64_t>(ms, UINT32_MAX));
}

MidiPlayerOptions MidiPlayerOptions::from_environment() {
    MidiPlayerOptions o;
    if (const char *wav = std::getenv(kAudioWavVariable); wav != nullptr) {
        o.wav_output = wav;
    }
    if (const char *sf = std::getenv(kSoundFontVariable); sf != nullptr) {
        o.soundfont = sf;
    }
    return o;
}

// The synthesizer, the opened melody and where playback stands. The audio output's thread and
// the caller meet under the mutex.
struct MidiPlayer::Engine {
    explicit Engine(const SynthLibrary &library) : fl(library) {}

    const SynthLibrary &fl;
    fluid_settings_t *settings = nullptr;
    fluid_synth_t *synth = nullptr;
    fluid_audio_driver_t *driver = nullptr;

    mutable std::mutex mutex;
    std::condition_variable stopped;
    MidiSchedule schedule;
    uint64_t length_frames = 0;
    uint64_t frame = 0;  // frames played from the start
    size_t cursor = 0;   // next message to send
    bool is_playing = false;

    ~Engine() {
        // The audio thread takes the mutex; it is stopped before anything it uses goes away.
        if (driver != nullptr) {
            fl.delete_fluid_audio_driver(driver);
        }
        if (synth != nullptr) {
            fl.delete_fluid_synth(synth);
        }
        if (settings != nullptr) {
            fl.delete_fluid_settings(settings);
        }
    }

    void send(const TimedMidiMessage &m) {
        const int chan = m.status & kMidiChannelMask;
        switch (m.status & kMidiKindMask) {
            case kMidiNoteOff:
                fl.fluid_synth_noteoff(synth, chan, m.data1);
                break;
            case kMidiNoteOn:
                if (m.data2 == 0) {
                    fl.fluid_synth_noteoff(synth, chan, m.data1);
                } else {
                    fl.fluid_synth_noteon(synth, chan, m.data1, m.data2);
                }
                break;
            case kMidiKeyPressure:
                fl.fluid_synth_key_pressure(synth, chan, m.data1, m.data2);
                break;
            case kMidiControlChange:
                fl.fluid_synth_cc(synth, chan, m.data1, m.data2);
                break;
            case kMidiProgramChange:
                fl.fluid_synth_program_change(synth, chan, m.data1);
                break;
            case kMidiChannelPressure:
                fl.fluid_synth_channel_pressure(synth, chan, m.data1);
                break;
            case kMidiPitchBend:
                fl.fluid_synth_pitch_bend(synth, chan, m.data1 | (m.data2 << kPitchBendLowBits));
                break;
            default:
                break;
        }
    }

    // Renders up to frames frames, sending each message at its frame; sink(offset, count)
    // renders count frames into the output at offset. Returns the frames rendered. Caller holds
    // the mutex.
    template <typename Sink>
    uint64_t render(uint64_t frames, Sink &&sink) {
        uint64_t done = 0;
        while (done < frames && is_playing) {
            while (cursor < schedule.messages.size() &&
                   frames_at(schedule.messages[cursor].micros) <= frame) {
                send(schedule.messages[cursor++]);
            }
            if (frame >= length_frames) {
                finish();
                break;
            }
            uint64_t next = length_frames;
            if (cursor < schedule.messages.size()) {
                next = std::min(next, frames_at(schedule.messages[cursor].micros));
            }
            const uint64_t count = std::min(frames - done, next - frame);
            if (!sink(done, count)) {
                break;
            }
            frame += count;
            done += count;
        }
        return done;
    }

    void finish() {
        is_playing = false;
        fl.fluid_synth_all_sounds_off(synth, kAllChannels);
        stopped.notify_all();
    }

    static int audio_callback(void *data, int len, int nfx, float *fx[], int nout, float *out[]) {
        auto *self = static_cast<Engine *>(data);
        std::lock_guard lock(self->mutex);
        if (!self->is_playing || len <= 0) {
            return FLUID_OK;  // the driver's buffers are already silent
        }
        const int outs = std::min(nout, kMaxOutputBuffers);
        const int fxs = std::min(nfx, kMaxOutputBuffers);
        int status = FLUID_OK;
        self->render(static_cast<uint64_t>(len), [&](uint64_t offset, uint64_t count) {
            std::array<float *, kMaxOutputBuffers> o{};
            std::array<float *, kMaxOutputBuffers * 2> f{};
            for (int i = 0; i < outs; ++i) {
                o[static_cast<size_t>(i)] = out[i] + offset;
            }
            int nf = fxs;
            if (fxs == 0) {
                // No separate effect buffers: mix the effects into the dry ones.
                nf = outs * 2;
                for (int i = 0; i < nf; ++i) {
                    f[static_cast<size_t>(i)] = o[static_cast<size_t>(i % outs)];
                }
            } else {
                for (int i = 0; i < fxs; ++i) {
                    f[static_cast<size_t>(i)] = fx[i] + offset;
                }
            }
            status = self->fl.fluid_synth_process(self->synth, static_cast<int>(count), nf,
                                                  f.data(), outs, o.data());
            return status == FLUID_OK;
        });
        return status;
    }
};

MidiPlayer::MidiPlayer(MidiPlayerOptions options) : options_(std::move(options)) {}

MidiPlayer::~MidiPlayer() {
    close();
}

bool MidiPlayer::fail(PlayerFailure failure, const std::string &text, std::string detail) {
    last_error_ = text;
    failure_ = {failure, std::move(detail)};
    return false;
}

bool MidiPlayer::open(const std::string &path) {
    close();
    FileFailure file_failure;
    auto bytes = read_file(path, &file_failure);
    if (!bytes) {
        return fail(file_failure.failure, file_failure.text, file_failure.detail);
    }
    std::string error;
    auto file = read_midi(*bytes, &error);
    if (!file) {
        return fail(PlayerFailure::NotMidi, path + " cannot be played: " + error, error);
    }
    // The synthesizer is loaded now, the first time a melody is opened, not at the start.
    const SynthLibrary *fl = synth_library(&error);
    if (fl == nullptr) {
        return fail(PlayerFailure::NoSynthesizer, "the synthesizer cannot be loaded: " + error,
                    error);
    }
    install_log_hooks(*fl);
    auto engine = std::make_unique<Engine>(*fl);
    engine->schedule = make_midi_schedule(*file);
    engine->length_frames = frames_at(engine->schedule.length_micros);

    engine->settings = fl->new_fluid_settings();
    if (engine->settings == nullptr) {
        const std::string why = take_synth_error();
        return fail(PlayerFailure::SynthesizerSetUp,
                    "the synthesizer cannot be set up" + in_brackets(why), why);
    }
    fl->fluid_settings_setnum(engine->settings, "synth.sample-rate", kSampleRate);
    fl->fluid_settings_setnum(engine->settings, "synth.gain", kSynthGain);
    if (!options_.audio_driver.empty() &&
        fl->fluid_settings_setstr(engine->settings, "audio.driver",
                                  options_.audio_driver.c_str()) != FLUID_OK) {
        return fail(
            PlayerFailure::NoAudioOutput,
            "no audio output could be opened: unknown audio driver " + options_.audio_driver,
            "unknown audio driver " + options_.audio_driver);
    }
    for (const auto &[name, value] : options_.audio_settings) {
        if (fl->fluid_settings_setstr(engine->settings, name.c_str(), value.c_str()) != FLUID_OK) {
            return fail(PlayerFailure::SynthesizerSetUp, "unknown synthesizer setting " + name,
                        "unknown setting " + name);
        }
    }
    engine->synth = fl->new_fluid_synth(engine->settings);
    if (engine->synth == nullptr) {
        const std::string why = take_synth_error();
        return fail(PlayerFailure::SynthesizerSetUp,
                    "the synthesizer cannot be started" + in_brackets(why), why);
    }
    const std::string soundfont = find_soundfont(options_.soundfont);
    if (fl->fluid_synth_sfload(engine->synth, soundfont.c_str(), 1) == FLUID_FAILED) {
        const std::string why = take_synth_error();
        return fail(PlayerFailure::NoSoundFont,
                    "cannot load the SoundFont " + soundfont + in_brackets(why),
                    soundfont + in_brackets(why));
    }
    if (options_.wav_output.empty()) {
        engine->driver =
            fl->new_fluid_audio_driver2(engine->settings, &Engine::audio_callback, engine.get());
        if (engine->driver == nullptr) {
            const std::string why = take_synth_error();
            return fail(PlayerFailure::NoAudioOutput,
                        "no audio output could be opened" + in_brackets(why), why);
        }
    }
    engine_ = std::move(engine);
    last_error_.clear();
    failure_ = {};
    return true;
}

void MidiPlayer::close() {
    engine_.reset();
}

bool MidiPlayer::is_open() const {
    return engine_ != nullptr;
}

uint32_t MidiPlayer::length_ms() const {
    if (!engine_) {
        return 0;
    }
    const uint64_t ms = engine_->schedule.length_micros / kMillisPerSecond;
    return static_cast<uint32_t>(std::min<uint64_t>(ms, UINT32_MAX));
}

uint32_t MidiPlayer::position_ms() const {
    if (!engine_) {
        return 0;
    }
    std::lock_guard lock(engine_->mutex);
    if (engine_->frame >= engine_->length_frames) {
        return length_ms();  // the end is the length exactly, whatever the frame rounding
    }
    const uint64_t ms = engine_->frame * kMillisPerSecond / kSampleRate;
    return static_cast<uint32_t>(std::min<uint64_t>(ms, UINT32_MAX));
}

bool MidiPlayer::play() {
    if (!engine_) {
        return fail(PlayerFailure::NotOpen, "no melody is open");
    }
    Engine &e = *engine_;
    std::unique_lock lock(e.mutex);
    e.is_playing = true;
    if (options_.wav_output.empty()) {
        return true;  // the audio output's thread plays it from here
    }
    if (e.length_frames - std::min(e.frame, e.length_frames) > kMaxWavSeconds * kSampleRate) {
        e.is_playing = false;
        return fail(PlayerFailure::CannotWriteWav, "the melody is too long to render to a WAV file",
                    "too long");
    }
    WavWriter wav;
    std::string error;
    if (!wav.open(options_.wav_output, kSampleRate, kChannels, &error)) {
        e.is_playing = false;
        return fail(PlayerFailure::CannotWriteWav, error, error);
    }
    std::vector<int16_t> block(static_cast<size_t>(kWavBlockFrames) * kChannels);
    bool written = true;
    while (e.is_playing && written) {
        e.render(kWavBlockFrames, [&](uint64_t, uint64_t count) {
            const int n = static_cast<int>(count);
            written = e.fl.fluid_synth_write_s16(e.synth, n, block.data(), 0, kChannels,
                                                 block.data(), 1, kChannels) == FLUID_OK &&
                      wav.write(block.data(), count * kChannels);
            return written;
        });
    }
    if (!written) {
        e.finish();
    }
    if (!wav.finish(&error) || !written) {
        const std::string text = error.empty() ? "cannot write " + options_.wav_output : error;
        return fail(PlayerFailure::CannotWriteWav, text, text);
    }
    return true;
}

bool MidiPlayer::stop() {
    if (!engine_) {
        return fail(PlayerFailure::NotOpen, "no melody is open");
    }
    std::lock_guard lock(engine_->mutex);
    engine_->is_playing = false;
    engine_->fl.fluid_synth_all_sounds_off(engine_->synth, kAllChannels);
    engine_->stopped.notify_all();
    return true;
}

bool MidiPlayer::seek_to_start() {
    return seek(0);
}

bool MidiPlayer::seek(uint32_t position_ms) {
    if (!engine_) {
        return fail(PlayerFailure::NotOpen, "no melody is open");
    }
    Engine &e = *engine_;
    std::lock_guard lock(e.mutex);
    // Rounded up to a whole frame, so position_ms() reads back the position asked for.
    const uint64_t micros = uint64_t{position_ms} * kMillisPerSecond;
    const uint64_t target =
        std::min((micros * kSampleRate + kMicrosPerSecond - 1) / kMicrosPerSecond, e.length_frames);
    e.fl.fluid_synth_system_reset(e.synth);
    // Everything before the target that sets a channel's state is sent now; notes are not, or
    // every note skipped over would sound at once. Messages at the target itself are left for
    // render(), which sends them as playback reaches them.
    const auto &messages = e.schedule.messages;
    e.cursor = 0;
    while (e.cursor < messages.size() && frames_at(messages[e.cursor].micros) < target) {
        const uint8_t kind = messages[e.cursor].status & kMidiKindMask;
        if (kind != kMidiNoteOn && kind != kMidiNoteOff && kind != kMidiKeyPressure) {
            e.send(messages[e.cursor]);
        }
        ++e.cursor;
    }
    e.frame = target;
    return true;
}

bool MidiPlayer::playing() const {
    if (!engine_) {
        return false;
    }
    std::lock_guard lock(engine_->mutex);
    return engine_->is_playing;
}

bool MidiPlayer::wait_until_stopped(std::chrono::milliseconds timeout) {
    if (!engine_) {
        return true;
    }
    std::unique_lock lock(engine_->mutex);
    return engine_->stopped.wait_for(lock, timeout, [this] { return !engine_->is_playing; });
}

std::string MidiPlayer::last_error() const {
    return last_error_;
}

}  // namespace zemlo::media
