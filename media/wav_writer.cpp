#include "wav_writer.h"

#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <vector>

#include "output_file.h"
#include "zemlo/byte_order.h"

namespace zemlo::media {

namespace {
constexpr uint32_t kFmtChunkBytes = 16;
constexpr uint16_t kPcmFormat = 1;
constexpr uint16_t kBitsPerSample = 16;
constexpr uint16_t kBytesPerSample = kBitsPerSample / 8;
constexpr uint32_t kRiffSizeBias = kWavHeaderBytes - 8;
constexpr uint64_t kMaxDataBytes = UINT32_MAX - kRiffSizeBias;

std::atomic<bool> g_abandoned{false};
}  // namespace

void abandon_wav_output() {
    g_abandoned.store(true);
}

std::array<uint8_t, kWavHeaderBytes> wav_header(uint32_t sample_rate, uint16_t channels,
                                                uint32_t data_bytes) {
    std::array<uint8_t, kWavHeaderBytes> h{};
    uint8_t *p = h.data();
    std::memcpy(p, "RIFF", 4);
    write_le32(p + 4, data_bytes + kRiffSizeBias);
    std::memcpy(p + 8, "WAVEfmt ", 8);
    write_le32(p + 16, kFmtChunkBytes);
    write_le16(p + 20, kPcmFormat);
    write_le16(p + 22, channels);
    write_le32(p + 24, sample_rate);
    write_le32(p + 28, sample_rate * channels * kBytesPerSample);
    write_le16(p + 32, static_cast<uint16_t>(channels * kBytesPerSample));
    write_le16(p + 34, kBitsPerSample);
    std::memcpy(p + 36, "data", 4);
    write_le32(p + 40, data_bytes);
    return h;
}

WavWriter::WavWriter() = default;

WavWriter::~WavWriter() {
    discard();
}

void WavWriter::discard() {
    if (file_ == nullptr) {
        return;
    }
    std::fclose(file_);
    file_ = nullptr;
    drop_output_file(*output_, &written_);
    output_.reset();
}

bool WavWriter::open(const std::string &path, uint32_t sample_rate, uint16_t channels,
                     std::string *error) {
    discard();
    // Not fopen: a named pipe at the path would block it until a reader came.
    auto out = std::make_unique<OutputFile>(open_output_file(path));
    if (out->fd < 0) {
        *error = "cannot create " + path + ": " + out->reason;
        return false;
    }
    if (::fstat(out->fd, &written_) != 0 || (file_ = ::fdopen(out->fd, "wb")) == nullptr) {
        *error = "cannot create " + path + ": " + std::strerror(errno);
        ::close(out->fd);
        drop_output_file(*out, nullptr);
        return false;
    }
    path_ = path;
    output_ = std::move(out);
    sample_rate_ = sample_rate;
    channels_ = channels;
    data_bytes_ = 0;
    abandoned_ = false;
    const auto header = wav_header(sample_rate, channels, 0);
    failed_ = std::fwrite(header.data(), 1, header.size(), file_) != header.size();
    if (failed_) {
        discard();
        *error = "cannot write " + path;
    }
    return !failed_;
}

bool WavWriter::write(const int16_t *samples, size_t count) {
    if (file_ == nullptr || failed_) {
        return false;
    }
    if (g_abandoned.load()) {
        abandoned_ = failed_ = true;
        return false;
    }
    if (data_bytes_ + count * kBytesPerSample > kMaxDataBytes) {
        failed_ = true;
        return false;
    }
    std::vector<uint8_t> bytes(count * kBytesPerSample);
    for (size_t i = 0; i < count; ++i) {
        write_le16(bytes.data() + i * kBytesPerSample, static_cast<uint16_t>(samples[i]));
    }
    failed_ = std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size();
    data_bytes_ += bytes.size();
    return !failed_;
}

bool WavWriter::finish(std::string *error) {
    if (file_ == nullptr) {
        *error = "no WAV file open";
        return false;
    }
    if (failed_ || g_abandoned.load()) {
        *error = abandoned_ || g_abandoned.load() ? "interrupted; " + path_ + " removed"
                                                  : "cannot write " + path_;
        discard();
        return false;
    }
    const auto header = wav_header(sample_rate_, channels_, static_cast<uint32_t>(data_bytes_));
    bool ok = std::fseek(file_, 0, SEEK_SET) == 0 &&
              std::fwrite(header.data(), 1, header.size(), file_) == header.size();
    // A staged file replaces an earlier one: its bytes are on the disk before its name is.
    if (ok && output_->is_staged()) {
        ok = std::fflush(file_) == 0 && ::fsync(::fileno(file_)) == 0;
    }
    int why = ok ? 0 : errno;
    if (std::fclose(file_) != 0 && ok) {
        why = errno;  // what stdio held back could not be written
        ok = false;
    }
    file_ = nullptr;
    if (ok && !place_output_file(*output_, &why)) {
        ok = false;
    }
    if (!ok) {
        drop_output_file(*output_, &written_);
        *error = "cannot write " + path_ + (why != 0 ? ": " + std::string(std::strerror(why)) : "");
    }
    output_.reset();
    return ok;
}

}  // namespace zemlo::media
