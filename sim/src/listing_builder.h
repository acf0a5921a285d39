// What the handset sends in answer to the list command: the storage description block and the
// listing text, cut into the packets of a block transfer.
#pragma once

#include <string>
#include <vector>

#include "media_store.h"
#include "zemlo/handset_records.h"

namespace handsim {

// The picture folder, then the melody folder, as zemlo/listing_text.h writes them.
std::string listing_text(const std::vector<StoreEntry> &pictures,
                         const std::vector<StoreEntry> &melodies);

// Start packet (block count), data packets 1..n (block 1 the storage description, the listing
// text from block 2 on, the last block as long as the text needs) and the end packet.
std::vector<zemlo::records::DownloadPacket> block_transfer(
    const zemlo::records::StorageDescription &storage, const std::string &text);

}  // namespace handsim
