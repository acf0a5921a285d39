// The handset's listing as the PC receives it: packets into the block receiver, and a completed
// transfer through the storage check, the listing parser and the handset file table. Input: a
// sequence of [length byte][packet body] chunks; a length of 255 stands for a full 520-byte body.
// The PC asks for a transfer whenever none is running, as the worker does before each listing:
// the receiver ignores a start packet nobody asked for, so without the request nothing past the
// packet decoder would be reached.
#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "block_receiver.h"
#include "handset_file_table.h"
#include "listing_parser.h"
#include "zemlo/handset_records.h"

namespace {
constexpr uint8_t kFullBodyMark = 0xFF;
constexpr zemlo::app::FileType kTypes[] = {zemlo::app::FileType::Picture,
                                           zemlo::app::FileType::Melody};
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    using zemlo::app::BlockReceiver;
    BlockReceiver receiver;
    zemlo::app::ListingParser parser;
    size_t at = 0;
    while (at < size) {
        size_t n = data[at++];
        if (n == kFullBodyMark) {
            n = zemlo::records::kPacketBytes;
        }
        n = std::min(n, size - at);
        if (!receiver.receiving()) {
            receiver.expect();
        }
        if (receiver.accept(data + at, n) == BlockReceiver::Outcome::Complete) {
            receiver.stop();  // as the inbox does: the next listing is asked for afresh
            const auto listing = zemlo::app::read_listing(receiver.data());
            if (listing.accepted) {
                zemlo::app::HandsetFileTable table;
                table.assign(parser.parse(listing.text));
                int64_t free_space = listing.free_space;
                for (const zemlo::app::FileType type : kTypes) {
                    for (const auto &row : table.rows(type)) {
                        table.store({type, row.name + "^1"}, &free_space);
                    }
                }
            }
        }
        at += n;
    }
    return 0;
}
