// What the handset sends of its own accord, as the core takes it in. The library forwards each such
// record on its device worker; the inbox copies it there and queues it to the window thread, where
// it is read as a handset event or a packet of the listing's block transfer, which the inbox
// acknowledges and assembles. What comes of it is handed to the core (Receiver).
#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "block_receiver.h"
#include "device_binding.h"
#include "dispatcher.h"
#include "listing_purpose.h"
#include "listing_start.h"
#include "messages.h"
#include "program_values.h"

namespace zemlo::app {

class HandsetInbox {
  public:
    // What the core does with what arrived, on the window thread.
    class Receiver {
      public:
        virtual ~Receiver() = default;
        // An event of a connected handset (an incoming call, a low battery, a time-out, a break),
        // as the message that tells the user.
        virtual void handset_event(MessageId event) = 0;
        // The listing arrived whole, asked for by purpose.
        virtual void listing_arrived(const ListingResult &listing, ListingPurpose purpose) = 0;
        // The listing did not come: its transfer announced more than it may hold, or stalled (the
        // handset's next packet never came).
        virtual void listing_failed(ListingPurpose purpose) = 0;
        virtual void line_lost() = 0;
    };

    HandsetInbox(Dispatcher &dispatcher, DeviceBinding &binding, ProgramValues &values,
                 Receiver &receiver);
    ~HandsetInbox();
    HandsetInbox(const HandsetInbox &) = delete;
    HandsetInbox &operator=(const HandsetInbox &) = delete;

    // What the library is given to forward the handset's records to.
    HlWindow *sink() { return &sink_.base; }

    // A forwarded record (a copy), on the window thread.
    void take(const std::vector<uint8_t> &record);

    // A listing is about to be asked for; armed before the request.
    void expect_listing(ListingPurpose purpose);
    // Waits (worker thread) until the listing asked for has begun, or ended, at most timeout;
    // false when it did not begin.
    bool wait_listing_start(std::chrono::milliseconds timeout) { return start_.wait(timeout); }
    // A worker waiting for the listing's start stops waiting (it is being stopped).
    void release_listing_wait() { start_.begun(); }
    // A listing's block transfer is under way.
    bool listing_pending() const { return blocks_.receiving(); }
    // No listing is wanted any more (its request failed, or the connection ends).
    void stop_listing() { blocks_.stop(); }
    // Forgets a transfer half received (the library is gone).
    void reset() { blocks_ = BlockReceiver{}; }

  private:
    struct Sink {
        HlWindow base;
        HandsetInbox *inbox;
    };
    static void forward(HlWindow *self, uint32_t message, uintptr_t wparam, intptr_t lparam);
    void take_data(const uint8_t *body, size_t size);

    Dispatcher &dispatcher_;
    DeviceBinding &binding_;
    ProgramValues &values_;
    Receiver &receiver_;
    Sink sink_{};
    std::shared_ptr<std::atomic<HandsetInbox *>> alive_;
    BlockReceiver blocks_;
    ListingPurpose purpose_ = ListingPurpose::Connect;
    ListingStart start_;
};

}  // namespace zemlo::app
