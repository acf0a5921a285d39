// Reassembly of received segments into records and the ring of records waiting to be fetched.
// No I/O and no threads of its own: one thread accepts segments, another may fetch at the same
// time.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>

#include <zemlo/signal_record.h>
#include <zemlo/wire/frame_format.h>

namespace handlink {

inline constexpr size_t kRingSlots = 10;
inline constexpr size_t kSlotMessageBytes = 10018;  // 39 received segments of 253 bytes fit
inline constexpr size_t kSlotBytes = zemlo::kRecordHeadBytes + kSlotMessageBytes;
// Message bytes taken from every segment.
inline constexpr size_t kReceivedSegmentBytes = zemlo::wire::kSegmentMessageBytes;
inline constexpr size_t kSegmentHeaderBytes = zemlo::wire::kSegmentHeaderBytes;
inline constexpr size_t kMaxSegmentsPerSlot = kSlotMessageBytes / kReceivedSegmentBytes;
// Every received signal-form record claims this length; its own body-length field says how much
// of it is real.
inline constexpr uint16_t kReceivedSignalLength = 2059;

class ReceiveRing {
  public:
    enum class Verdict {
        Accepted,   // a segment of a message in progress: answer ACK
        Completed,  // the message's last segment: a record now waits; answer ACK
        Dropped,    // a first segment of an unknown type, ignored: answer ACK
        Refused,    // ring full, segment too short, or message larger than a slot: answer NAK
    };

    // Reader side.
    Verdict accept_segment(const uint8_t *payload, size_t size);
    // The record completed last (valid until the next accept_segment); its head tells its size.
    const uint8_t *last_completed() const { return last_completed_; }
    size_t last_completed_size() const;

    // Fetcher side: copies the oldest waiting record (at most capacity bytes), frees its slot and
    // returns the bytes copied; 0 when none waits.
    size_t fetch(uint8_t *dest, size_t capacity);
    size_t waiting() const;

    // Only while neither side runs.
    void reset();

  private:
    bool full() const;
    void store(const uint8_t *payload, size_t size);

    uint8_t slots_[kRingSlots][kSlotBytes] = {};
    std::atomic<size_t> write_index_{0};
    std::atomic<size_t> read_index_{0};
    bool start_of_message_ = true;
    size_t write_position_ = 0;  // message bytes written into the current slot
    const uint8_t *last_completed_ = nullptr;
};

}  // namespace handlink
