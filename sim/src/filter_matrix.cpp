#include "filter_matrix.h"

namespace handsim {

namespace {
constexpr size_t kGroupCountOffset = 0;
constexpr size_t kDirectoryOffset = 4;
constexpr size_t kDirectoryEntryBytes = 2;
constexpr size_t kEntryOffsetByte = 1;  // the second byte of an entry holds the group's offset
constexpr unsigned kBitsPerByte = 8;
}  // namespace

FilterMatrix::FilterMatrix(const uint8_t *bytes, size_t size) {
    if (bytes != nullptr) {
        bytes_.assign(bytes, bytes + (size < kMaxBytes ? size : kMaxBytes));
    }
}

bool FilterMatrix::selects(uint16_t signal_id) const {
    if (bytes_.size() <= kGroupCountOffset) {
        return false;
    }
    const size_t groups = bytes_[kGroupCountOffset];
    const size_t group = signal_id >> 8;
    const size_t low = signal_id & 0xFF;
    if (group >= groups) {
        return false;
    }
    const size_t entry = kDirectoryOffset + kDirectoryEntryBytes * group + kEntryOffsetByte;
    if (entry >= bytes_.size()) {
        return false;
    }
    const size_t bitmap = kDirectoryOffset + kDirectoryEntryBytes * groups;
    const size_t byte = bitmap + bytes_[entry] + low / kBitsPerByte;
    if (byte >= bytes_.size()) {
        return false;
    }
    return (bytes_[byte] >> (low % kBitsPerByte)) & 1U;
}

}  // namespace handsim
