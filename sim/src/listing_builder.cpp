#include "listing_builder.h"

#include <algorithm>

#include "zemlo/listing_text.h"

namespace handsim {

namespace rec = zemlo::records;

std::string listing_text(const std::vector<StoreEntry> &pictures,
                         const std::vector<StoreEntry> &melodies) {
    std::string text;
    zemlo::listing::append_folder(text, rec::kPictureFolder, pictures);
    zemlo::listing::append_folder(text, rec::kMelodyFolder, melodies);
    return text;
}

std::vector<rec::DownloadPacket> block_transfer(const rec::StorageDescription &storage,
                                                const std::string &text) {
    std::vector<uint8_t> first(rec::kStorageBlockBytes);
    rec::encode_storage_description(storage, first.data());

    std::vector<rec::DownloadPacket> packets;
    const size_t text_blocks = (text.size() + rec::kPacketDataBytes - 1) / rec::kPacketDataBytes;
    const auto blocks = static_cast<uint16_t>(1 + text_blocks);
    packets.push_back(rec::make_handset_start_packet(blocks));
    packets.push_back(
        rec::make_data_packet(1, first.data(), first.size(), rec::kPacketKindHandset));
    uint32_t total = packets.back().checksum;
    for (size_t b = 0; b < text_blocks; ++b) {
        const size_t pos = b * rec::kPacketDataBytes;
        const size_t n = std::min(rec::kPacketDataBytes, text.size() - pos);
        packets.push_back(rec::make_data_packet(static_cast<uint16_t>(b + 2),
                                                reinterpret_cast<const uint8_t *>(&text[pos]), n,
                                                rec::kPacketKindHandset));
        total += packets.back().checksum;
    }
    packets.push_back(rec::make_end_packet(total, rec::kPacketKindHandset));
    return packets;
}

}  // namespace handsim
