// Assembles a block transfer from the handset: a start packet announcing the number of 512-byte
// blocks, numbered data packets, and an end packet. Pure: it says what to do with each packet and
// leaves acknowledging to the caller.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "zemlo/handset_records.h"

namespace zemlo::app {

// A listing is a storage block and a short text; no handset needs more than this, and the count
// comes from the handset, so it is bounded before anything is allocated.
inline constexpr uint16_t kMaxTransferBlocks = 256;

class BlockReceiver {
  public:
    enum class Outcome {
        Ignored,      // nothing to do (a packet outside a transfer, a start packet not asked
                      // for, or unreadable)
        Acknowledge,  // stored or counted; answer it
        NoAnswer,     // a data packet with no buffer: the handset will time out
        Complete,     // the end packet: the data is ready
        Refused,      // a start packet announcing more than kMaxTransferBlocks
    };

    // body: the SIG_DOWNLOAD_DATA_IND body as forwarded, size its length.
    Outcome accept(const uint8_t *body, size_t size);

    // Takes the next start packet: the PC has just asked for a transfer. A start packet at any
    // other time is one nobody asked for and is ignored, unanswered: answering each would cost a
    // request that waits out its timeout, and a handset sending them fast would bury the command.
    void expect() { expecting_ = true; }
    bool receiving() const { return receiving_; }
    void stop() {
        receiving_ = false;
        expecting_ = false;
    }

    // The assembled bytes (blocks × 512 + 1, NUL-terminated at the received total).
    const std::vector<uint8_t> &data() const { return data_; }

  private:
    bool expecting_ = false;
    bool receiving_ = false;
    uint16_t blocks_ = 0;
    size_t total_ = 0;
    std::vector<uint8_t> data_;
};

// What a completed listing transfer says.
struct ListingResult {
    bool storage_ok = false;  // the storage description is in range (capacity and free are set)
    bool accepted = false;    // and the listing text is long enough to be one
    int64_t capacity = 0;     // bytes, less the reserve
    int64_t free_space = 0;   // bytes, less the reserve
    std::string text;         // the listing text
};

// The space a storage description gives, less the reserve; none when it does not add up
// (capacity not above the reserve or above the largest store, free units above the total, free
// space below the reserve).
struct StorageSpace {
    int64_t capacity = 0;
    int64_t free_space = 0;
};
std::optional<StorageSpace> storage_space(const records::StorageDescription &storage);

// Checks the storage description and the listing text of an assembled transfer.
ListingResult read_listing(const std::vector<uint8_t> &data);

}  // namespace zemlo::app
