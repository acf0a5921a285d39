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

ListingResult read_listing(const std::vector<uint8_t> &data) {
    ListingResult result;
    const auto storage = records::decode_storage_description(data.data(), data.size());
    if (!storage) {
        return result;
    }
    const int64_t unit = records::unit_size(*storage);
    const int64_t capacity = static_cast<int64_t>(storage->total_units) * unit;
    if (capacity <= 0 || capacity > static_cast<int64_t>(records::kMaxCapacityBytes)) {
        return result;
    }
    const auto reserve = static_cast<int64_t>(records::kReservedBytes);
    result.capacity = capacity - reserve;
    result.free_space = static_cast<int64_t>(storage->free_units) * unit - reserve;
    result.storage_ok = true;
    if (data.size() > records::kListingOffset) {
        const char *text = reinterpret_cast<const char *>(&data[records::kListingOffset]);
        result.text.assign(text, strnlen(text, data.size() - records::kListingOffset));
    }
    result.accepted = result.text.size() >= kMinListingChars;
    return result;
}

}  // namespace zemlo::app
