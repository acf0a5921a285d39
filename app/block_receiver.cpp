#include "block_receiver.h"

#include <algorithm>
#include <cstring>

#include "zemlo/byte_order.h"
#include "zemlo/handset_records.h"

namespace zemlo::app {

namespace {

constexpr size_t kBlockBytes = records::kPacketDataBytes;
constexpr size_t kMinListingChars = 21;

}  // namespace

BlockReceiver::Outcome BlockReceiver::accept(const uint8_t *body, size_t size) {
    const auto packet = records::decode_packet(body, size);
    if (!packet) {
        return Outcome::Ignored;
    }
    if (packet->is_start()) {
        if (!expecting_) {
            return Outcome::Ignored;
        }
        expecting_ = false;
        const uint16_t blocks = records::handset_start_blocks(*packet);
        receiving_ = false;
        data_.clear();
        if (blocks > kMaxTransferBlocks) {
            return Outcome::Refused;
        }
        total_ = 0;
        blocks_ = blocks;
        data_.assign(static_cast<size_t>(blocks) * kBlockBytes + 1, 0);
        receiving_ = true;
        return Outcome::Acknowledge;
    }
    if (!receiving_) {
        return Outcome::Ignored;
    }
    if (packet->is_end()) {
        // The NUL lands at the received total, but never outside the buffer.
        data_[std::min(total_, data_.size() - 1)] = 0;
        return Outcome::Complete;
    }
    total_ += packet->length;
    if (data_.empty()) {
        return Outcome::NoAnswer;
    }
    if (packet->sequence >= 1 && packet->sequence <= blocks_ && packet->length <= kBlockBytes) {
        std::memcpy(&data_[(packet->sequence - 1u) * kBlockBytes], packet->data.data(),
                    packet->length);
    }
    return Outcome::Acknowledge;
}

std::optional<StorageSpace> storage_space(const records::StorageDescription &storage) {
    const int64_t unit = records::unit_size(storage);
    const int64_t capacity = static_cast<int64_t>(storage.total_units) * unit;
    const int64_t free_bytes = static_cast<int64_t>(storage.free_units) * unit;
    const auto reserve = static_cast<int64_t>(records::kReservedBytes);
    // Capacity 0 or less is a failed connection; a store no larger than the reserve has no room
    // at all, and free space beyond the capacity or below the reserve would pass the space check
    // with room that is not there.
    if (capacity <= reserve || capacity > static_cast<int64_t>(records::kMaxCapacityBytes) ||
        free_bytes > capacity || free_bytes < reserve) {
        return std::nullopt;
    }
    return StorageSpace{capacity - reserve, free_bytes - reserve};
}

ListingResult read_listing(const std::vector<uint8_t> &data) {
    ListingResult result;
    const auto storage = records::decode_storage_description(data.data(), data.size());
    if (!storage) {
        return result;
    }
    const auto space = storage_space(*storage);
    if (!space) {
        return result;
    }
    result.capacity = space->capacity;
    result.free_space = space->free_space;
    result.storage_ok = true;
    if (data.size() > records::kListingOffset) {
        const char *text = reinterpret_cast<const char *>(&data[records::kListingOffset]);
        result.text.assign(text, strnlen(text, data.size() - records::kListingOffset));
    }
    result.accepted = result.text.size() >= kMinListingChars;
    return result;
}

}  // namespace zemlo::app
