// Arbitrary line bytes through the receive state machine and the reassembly ring. The first byte
// chooses how often the ring is emptied, so both the full-ring and the flowing paths are reached.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include <zemlo/byte_order.h>
#include <zemlo/signal_record.h>

#include "frame_receiver.h"
#include "receive_ring.h"

using handlink::FrameReceiver;
using handlink::ReceiveRing;

namespace {

constexpr size_t kFetchPolicies = 11;  // 0: never fetch; n: fetch after every n-th message

void check_record(const uint8_t *record, size_t size, size_t capacity) {
    if (size > capacity || size > handlink::kSlotBytes) {
        std::abort();
    }
    if (size >= zemlo::kRecordHeadBytes) {
        const size_t claimed = zemlo::read_le16(record + zemlo::kRecordLengthOffset);
        if (claimed > handlink::kSlotMessageBytes) {
            std::abort();
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static FrameReceiver receiver;
    static ReceiveRing ring;
    static uint8_t fetched[handlink::kSlotBytes];
    receiver.reset();
    ring.reset();
    if (size == 0) {
        return 0;
    }
    const size_t policy = data[0] % kFetchPolicies;
    const size_t capacity = 1 + data[0] * sizeof fetched / 256;
    size_t completed = 0;
    for (size_t i = 1; i < size; ++i) {
        if (receiver.push(data[i]) != FrameReceiver::Event::Frame) {
            continue;
        }
        if (receiver.payload_size() == 0 ||
            receiver.payload_size() > handlink::kMaxReceivedPayload) {
            std::abort();
        }
        const auto verdict = ring.accept_segment(receiver.payload(), receiver.payload_size());
        if (verdict != ReceiveRing::Verdict::Completed) {
            continue;
        }
        check_record(ring.last_completed(), ring.last_completed_size(), sizeof fetched);
        if (ring.waiting() >= handlink::kRingSlots) {
            std::abort();
        }
        if (policy != 0 && ++completed % policy == 0) {
            check_record(fetched, ring.fetch(fetched, capacity), capacity);
        }
    }
    while (const size_t got = ring.fetch(fetched, sizeof fetched)) {
        check_record(fetched, got, sizeof fetched);
    }
    return 0;
}
