#include "sent_file.h"

namespace zemlo::app {

bool SentFile::open(const std::string &path, int64_t *length) {
    std::lock_guard<std::mutex> lock(mutex_);
    file_ = std::fopen(path.c_str(), "rb");
    if (file_ == nullptr) {
        return false;
    }
    if (std::fseek(file_, 0, SEEK_END) != 0 || (*length = std::ftell(file_)) < 0 ||
        std::fseek(file_, 0, SEEK_SET) != 0) {
        std::fclose(file_);
        file_ = nullptr;
        return false;
    }
    return true;
}

size_t SentFile::read(uint8_t *buf, size_t n) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (file_ == nullptr) {
        return 0;  // closed by a handset event: the operation is being stopped
    }
    return std::fread(buf, 1, n, file_);
}

void SentFile::close() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (file_ != nullptr) {
        std::fclose(file_);
        file_ = nullptr;
    }
}

}  // namespace zemlo::app
