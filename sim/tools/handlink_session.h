// The PC's side of a conversation with the handset through the real link library, loaded by path
// as the program loads it: open the line, send remote commands, receive the listing's block
// transfer, send a download packet by packet, watch for handset events. Used by the demo tool,
// the emulator's end-to-end tests and the tests of the Windows build, where the handset's
// messages are posted to a window whose own thread runs a message loop.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "handlink.h"
#include "zemlo/handset_records.h"

namespace handsim {

class HandlinkSession {
  public:
    HandlinkSession();
    ~HandlinkSession();
    HandlinkSession(const HandlinkSession &) = delete;
    HandlinkSession &operator=(const HandlinkSession &) = delete;

    // The message id the handset's own messages come with, as the program registers it.
    static constexpr uint32_t kWindowMessage = 3026;  // WM_USER + 2002

    // Loads the library (a path, or a bare name found beside the running program).
    bool load(const std::string &library, std::string *error);
    // Maps COM1 to the device, closes, opens at 115200 and sends the setup, as a connect does.
    bool open(const std::string &device, std::string *error);
    // The same on COM port `port` as the library resolves it, mapping nothing.
    bool open_port(uint32_t port, std::string *error);
    void close();

    void set_timeout_ms(uint32_t ms);

    struct Reply {
        int32_t code = 0;        // what the library returned
        int32_t line_error = 0;  // GetLastRequestError: why the line failed the request, or 0
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
    template <class F>
    F *symbol(const char *name) const {
        return reinterpret_cast<F *>(find_symbol(library_, name));
    }

    // What differs between systems (handlink_session_posix.cpp, handlink_session_win32.cpp):
    // loading the library, and where its messages go.
    static void *load_file(const std::string &path, std::string *error);
    static void *find_symbol(void *library, const char *name);
    static void unload_file(void *library);
    static std::string program_dir();
    struct Sink;
    static Sink *make_sink(HandlinkSession *owner);
    static HlWindowHandle sink_window(Sink *sink);
    static void drop_sink(Sink *sink);

    void *library_ = nullptr;
    Sink *sink_;
    std::mutex mutex_;
    std::condition_variable cv_;
    std::deque<Forwarded> forwarded_;
};

}  // namespace handsim
