// A 16-bit PCM WAV file written as samples arrive; the sizes in the header are filled in when
// the file is finished.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

namespace zemlo::media {

inline constexpr size_t kWavHeaderBytes = 44;

std::array<uint8_t, kWavHeaderBytes> wav_header(uint32_t sample_rate, uint16_t channels,
                                                uint32_t data_bytes);

class WavWriter {
  public:
    WavWriter() = default;
    WavWriter(const WavWriter &) = delete;
    WavWriter &operator=(const WavWriter &) = delete;
    ~WavWriter();

    bool open(const std::string &path, uint32_t sample_rate, uint16_t channels, std::string *error);
    // Interleaved samples.
    bool write(const int16_t *samples, size_t count);
    bool finish(std::string *error);

  private:
    std::FILE *file_ = nullptr;
    std::string path_;
    uint32_t sample_rate_ = 0;
    uint16_t channels_ = 0;
    uint64_t data_bytes_ = 0;
    bool failed_ = false;
};

}  // namespace zemlo::media
