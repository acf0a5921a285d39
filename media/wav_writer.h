// A 16-bit PCM WAV file written as samples arrive; the sizes in the header are filled in when
// the file is finished. A file that is not finished (a failed write, a full disk, an interrupt,
// or a writer destroyed before finish) is removed again, so that no WAV with a cut-off body or a
// header that says 0 data bytes is left behind. Only the regular file the writer created or
// emptied is removed; a device named as the output is left alone.
#pragma once

#include <sys/stat.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

namespace zemlo::media {

struct OutputFile;

inline constexpr size_t kWavHeaderBytes = 44;

std::array<uint8_t, kWavHeaderBytes> wav_header(uint32_t sample_rate, uint16_t channels,
                                                uint32_t data_bytes);

// Makes every write of every WavWriter in the process fail from now on, so that a rendering stops
// at its next block and its file is removed. For an interrupt (Ctrl-C) of a command that renders
// into a file; safe to call from any thread.
void abandon_wav_output();

class WavWriter {
  public:
    WavWriter();
    WavWriter(const WavWriter &) = delete;
    WavWriter &operator=(const WavWriter &) = delete;
    ~WavWriter();

    bool open(const std::string &path, uint32_t sample_rate, uint16_t channels, std::string *error);
    // Interleaved samples.
    bool write(const int16_t *samples, size_t count);
    bool finish(std::string *error);

  private:
    // Closes the file and removes what was written.
    void discard();

    std::FILE *file_ = nullptr;
    std::string path_;
    std::unique_ptr<OutputFile> output_;  // where it goes; a staged file until finished
    struct stat written_ {};
    uint32_t sample_rate_ = 0;
    uint16_t channels_ = 0;
    uint64_t data_bytes_ = 0;
    bool failed_ = false;
    bool abandoned_ = false;
};

}  // namespace zemlo::media
