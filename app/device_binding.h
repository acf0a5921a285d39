// The program's binding to the device link library: the library is loaded once from the program's
// folder, and every export is looked up by name at the moment of its call, so a library that lacks
// one still serves the others. Each wrapper of a request first makes sure the link is up.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>

#include "error_notice.h"
#include "handlink.h"
#include "program_values.h"
#include "stop_token.h"
#include "zemlo/handset_records.h"

namespace zemlo::app {

inline constexpr const char *kDeviceLibraryFile = "libhandlink.so";
inline constexpr uint32_t kForwardMessageId =
    3026;  // the id the window registers for handset messages
inline constexpr uint32_t kDefaultTimeoutMs = 2000;
// The modes the program hands SetDllMode: before a listing is asked for, and once it is in or a
// download or the abort notice follows.
inline constexpr uint8_t kModeListing = 1;
inline constexpr uint8_t kModeIdle = 0;

class DeviceBinding {
  public:
    // show_error shows one of the binding's errors (source Link) and returns once it was seen.
    // stop_of_caller gives the stop token that applies to the calling thread (the operation
    // worker's), or nothing for a caller that is never stopped (the window thread): once it is
    // stopped, every request returns at once as failed and nothing more reaches the library.
    DeviceBinding(ProgramValues &values, std::function<void(const ErrorNotice &)> show_error,
                  std::function<StopToken *()> stop_of_caller = {});
    ~DeviceBinding();
    DeviceBinding(const DeviceBinding &) = delete;
    DeviceBinding &operator=(const DeviceBinding &) = delete;

    // Loads libhandlink.so from dir; on failure *error says why (dlerror's text).
    bool load(const std::string &dir, std::string *error);
    void unload();
    bool loaded() const { return handle_.load() != nullptr; }

    // Opens the link on demand: CloseComm, OpenComm, 500 ms, SendSetup. 1 connected, 0 not.
    bool connect();
    void close_link();
    void set_timeout(uint32_t ms);
    bool register_handler(HlWindow *window, uint32_t message);
    void set_mode(uint8_t mode);
    void set_port_device(uint32_t port, const std::string &device);
    bool set_trace_file(const std::string &path);

    // Sends one download packet, up to three tries; true once the handset accepted it. When it
    // was not, *line_error (when given) says whether the line was at fault (as line_error()).
    bool send_download_packet(const zemlo::records::DownloadPacket &packet,
                              int32_t *line_error = nullptr);
    // Acknowledges a received block-transfer packet; true once the handset's next packet (the
    // library's confirmation of the acknowledgement) has come, false when the transfer stalled.
    bool answer_data_indication();
    // Sends a remote command body (376 bytes); the reply buffer must be HL_MAX_REPLY_BYTES long.
    // False only when the link cannot be opened or the export is missing. *status (when given)
    // receives the library's result of the request: a confirmation, HL_TIMEOUT for a handset that
    // stayed silent, or why the line failed the request (line_error()) in its place; it is 0 when
    // nothing was sent.
    bool remote_command(uint8_t *body, uint8_t *reply, int32_t *status = nullptr);

    // Why the calling thread's last request went unanswered when the line was at fault: the
    // library's HL_STATUS_LINK_NOT_OPEN, _NO_ACK, _NAK or HL_STATUS_LINE_LOST; 0 for a silent
    // handset, or a library that does not tell.
    int32_t line_error() const;

    bool port_open() const { return port_open_.load(); }
    // Forget the open link (the port setting changed): the next request reconnects.
    void forget_port() { port_open_.store(false); }

  private:
    void *symbol(const char *name) const;
    bool stopped() const;
    // Waits, ending early on a stop; false when stopped.
    bool pause(std::chrono::milliseconds ms) const;
    void error(MessageId id, std::optional<OpenFailure> open = std::nullopt);

    ProgramValues &values_;
    std::function<void(const ErrorNotice &)> show_error_;
    std::function<StopToken *()> stop_of_caller_;
    std::atomic<void *> handle_{nullptr};
    std::atomic<bool> port_open_{false};
};

// A request's result says the handset confirmed it: the library returns the confirmation's signal
// id times 65536 plus the bytes copied, never below this.
inline constexpr int32_t kFirstConfirmation = 0x01000000;
inline bool confirmed(int32_t status) {
    return status >= kFirstConfirmation;
}

// A request the handset did not confirm, but which may still have reached it: no confirmation in
// time after every frame was acknowledged (HL_TIMEOUT), a frame whose acknowledgement never came
// (the frame may have arrived, its ACK lost), or a line lost while the request was under way (it
// may have gone before or after the handset took the command). A frame refused with NAK, or a link
// that was not open, kept the command from the handset.
inline bool may_have_reached(int32_t status) {
    return status == HL_TIMEOUT || status == HL_STATUS_LINK_NO_ACK || status == HL_STATUS_LINE_LOST;
}

// The message shown for an OpenComm result; reason is the library's explanation of a device that
// could not be opened.
Message open_error_message(int32_t result, const std::string &reason);
MessageId setup_error_message(int32_t result);

}  // namespace zemlo::app
