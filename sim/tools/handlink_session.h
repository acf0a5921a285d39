// The PC's side of a conversation with the handset through the real link library, loaded with
// dlopen as the program loads it: open the line, send remote commands, receive the listing's
// block transfer, send a download packet by packet, watch for handset events. Used by the demo
// tool and the emulator's end-to-end tests.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "zemlo/handset_records.h"

namespace handsim {

class HandlinkSession {
  public:
    HandlinkSession();
    ~HandlinkSession();
    HandlinkSession(const HandlinkSession &) = delete;
    HandlinkSession &operator=(const HandlinkSession &) = delete;

    // Loads the library (a path, or a bare name found beside the running program).
    bool load(const std::string &library, std::string *error);
    // Maps COM1 to the device, closes, opens at 115200 and sends the setup, as a connect does.
    bool open(const std::string &device, std::string *error);
    void close();

    void set_timeout_ms(uint32_t ms);

    struct Reply {
        int32_t code = 0;  // what the library returned
        zemlo::records::RemoteReply reply;
        // A confirmation carries its signal id in the high half, so it is at least 0x01000000.
        bool answered() const { return code >= kFirstConfirmation; }
        static constexpr int32_t kFirstConfirmation = 0x01000000;
    };
    Reply remote(const zemlo::records::RemoteCommand &command);

    struct Listing {
        zemlo::records::StorageDescription storage;
        std::string text;
        unsigned data_packets = 0;
    };
    // Sends the list command and receives the block transfer, acknowledging as the program does.
    std::optional<Listing> list(std::chrono::milliseconds wait, std::string *error);

    // One packet and the handset's acknowledgement status (empty when none came).
    std::optional<uint16_t> send_packet(const zemlo::records::DownloadPacket &packet);

    struct DownloadResult {
        bool delivered = false;      // every packet taken
        unsigned failed_packet = 0;  // 0 start, n data, blocks + 1 end
        unsigned refusals = 0;       // acknowledgements with a failure status
    };
    // Sends a handset file as the program does: start, data packets, end, each tried up to three
    // times. A melody's 6-byte prefix stays back. corrupt_first makes the first try of every data
    // packet carry a wrong checksum.
    DownloadResult send_file(const std::vector<uint8_t> &file, bool melody, bool corrupt_first);

    // The next handset event forwarded to the program (its code), if one comes in time.
    std::optional<uint16_t> wait_event(std::chrono::milliseconds wait);

  private:
    struct Forwarded {
        uint16_t signal_id;
        std::vector<uint8_t> body;
    };
    static void post(void *self, uint32_t message, uintptr_t wparam, intptr_t lparam);
    std::optional<Forwarded> next_forwarded(uint16_t signal_id, std::chrono::milliseconds wait);

    void *library_ = nullptr;
    struct Sink;
    Sink *sink_;
    std::mutex mutex_;
    std::condition_variable cv_;
    std::deque<Forwarded> forwarded_;
};

}  // namespace handsim
