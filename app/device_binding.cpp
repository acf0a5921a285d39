#include "device_binding.h"

#include <dlfcn.h>

#include <array>
#include <chrono>
#include <cstring>
#include <thread>
#include <vector>

#include "core_time.h"
#include "zemlo/byte_order.h"
#include "zemlo/handset_records.h"

namespace zemlo::app {

namespace {

using OpenCommFn = int32_t (*)(uint32_t, uint32_t);
using VoidFn = void (*)();
using SendSetupFn = int32_t (*)();
using SetTimeoutFn = uint32_t (*)(uint32_t);
using SetHandlerFn = void (*)(HlWindow *, uint32_t);
using SetModeFn = uint8_t (*)(uint8_t);
using SetPortDeviceFn = void (*)(uint32_t, const char *);
using SetTraceFn = int32_t (*)(const char *);
using LastOpenErrorFn = uint32_t (*)(char *, uint32_t);
using RequestFn = int32_t (*)(uint8_t *, uint8_t *);
using LastRequestErrorFn = int32_t (*)();

constexpr auto kSettleAfterOpen = std::chrono::milliseconds(500);
constexpr int kPacketTries = 3;
constexpr size_t kOpenReasonBytes = 512;

}  // namespace

Message open_error_message(int32_t result, const std::string &reason) {
    switch (result) {
        case 1:
            return {MessageId::PortInvalid};
        case 2:
            return {MessageId::PortCannotOpen};
        case 3:
        case 4:
            return {MessageId::PortBusy};
        case 5:
        case 6:
        case 7:
        case 8:
            return {MessageId::LibraryVersionInvalid};
        case HL_OPEN_DEVICE_ERROR:
            // The library says which device and why, so the user knows what to fix.
            if (reason.empty()) {
                return {MessageId::PortCannotOpen};
            }
            return {MessageId::PortCannotOpenBecause, {reason}};
        default:
            return {MessageId::UnknownError};
    }
}

MessageId setup_error_message(int32_t result) {
    switch (result) {
        case 1:
            return MessageId::FilterFileMissing;
        case 2:
            return MessageId::FilterSignalsMissing;
        case 3:
        case 4:
            return MessageId::SignallingSetupFailed;
        case 5:
            return MessageId::PortNotOpened;
        default:
            return MessageId::UnknownError;
    }
}

DeviceBinding::DeviceBinding(ProgramValues &values,
                             std::function<void(const ErrorNotice &)> show_error,
                             std::function<StopToken *()> stop_of_caller)
    : values_(values),
      show_error_(std::move(show_error)),
      stop_of_caller_(std::move(stop_of_caller)) {}

DeviceBinding::~DeviceBinding() {
    unload();
}

bool DeviceBinding::load(const std::string &dir, std::string *error) {
    const std::string path = dir + "/" + kDeviceLibraryFile;
    void *handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        if (error != nullptr) {
            const char *why = ::dlerror();
            *error = why != nullptr ? why : path;
        }
        return false;
    }
    handle_.store(handle);
    return true;
}

void DeviceBinding::unload() {
    if (void *handle = handle_.exchange(nullptr); handle != nullptr) {
        ::dlclose(handle);
    }
    port_open_.store(false);
}

void *DeviceBinding::symbol(const char *name) const {
    void *handle = handle_.load();
    return handle != nullptr ? ::dlsym(handle, name) : nullptr;
}

bool DeviceBinding::stopped() const {
    StopToken *token = stop_of_caller_ ? stop_of_caller_() : nullptr;
    return token != nullptr && token->stopped();
}

bool DeviceBinding::pause(std::chrono::milliseconds ms) const {
    StopToken *token = stop_of_caller_ ? stop_of_caller_() : nullptr;
    if (token == nullptr) {
        std::this_thread::sleep_for(ms);
        return true;
    }
    return token->sleep_for(ms);
}

void DeviceBinding::error(MessageId id, std::optional<OpenFailure> open) {
    show_error_({{id}, ErrorSource::Link, std::move(open)});
}

bool DeviceBinding::connect() {
    if (port_open_.load()) {
        return true;
    }
    close_link();
    if (stopped()) {
        return false;
    }
    auto open = reinterpret_cast<OpenCommFn>(symbol("OpenComm"));
    if (open == nullptr) {
        error(MessageId::OpenPortExportMissing);
        return false;
    }
    const int32_t opened = open(values_.com_port.load(), kBaudRate);
    if (stopped()) {
        return false;
    }
    const bool report =
        values_.open_error_reporting.load() && values_.connect_attempts_left.load() == 0;
    if (opened != HL_OPEN_OK) {
        if (report) {
            std::string reason;
            if (auto why = reinterpret_cast<LastOpenErrorFn>(symbol("GetLastOpenError"))) {
                std::array<char, kOpenReasonBytes> buf{};
                why(buf.data(), static_cast<uint32_t>(buf.size()));
                reason = buf.data();
            }
            show_error_({open_error_message(opened, reason), ErrorSource::Link,
                         OpenFailure{opened, reason}});
        }
        return false;
    }
    // A cancel (Ctrl-C, the wait window's button) stops the link set-up at its next step.
    if (values_.cancel.load()) {
        close_link();
        return false;
    }
    if (!pause(core_time(kSettleAfterOpen))) {
        return false;
    }
    if (values_.cancel.load()) {
        close_link();
        return false;
    }
    auto setup = reinterpret_cast<SendSetupFn>(symbol("SendSetup"));
    if (setup == nullptr) {
        error(MessageId::SetupExportMissing);
        return false;
    }
    const int32_t set_up = setup();
    if (stopped()) {
        return false;
    }
    if (set_up == HL_SETUP_OK) {
        port_open_.store(true);
        return true;
    }
    if (values_.open_error_reporting.load() && values_.connect_attempts_left.load() == 0) {
        error(setup_error_message(set_up));
    }
    return false;
}

void DeviceBinding::close_link() {
    if (stopped()) {
        return;
    }
    if (auto close = reinterpret_cast<VoidFn>(symbol("CloseComm"))) {
        close();
        port_open_.store(false);
    }
}

void DeviceBinding::set_timeout(uint32_t ms) {
    if (stopped()) {
        return;
    }
    if (auto fn = reinterpret_cast<SetTimeoutFn>(symbol("SetTimeoutMs"))) {
        fn(ms);
    }
}

bool DeviceBinding::register_handler(HlWindow *window, uint32_t message) {
    if (auto fn = reinterpret_cast<SetHandlerFn>(symbol("SetMobileDataHandler"))) {
        fn(window, message);
    }
    return true;
}

void DeviceBinding::set_mode(uint8_t mode) {
    if (stopped()) {
        return;
    }
    if (auto fn = reinterpret_cast<SetModeFn>(symbol("SetDllMode"))) {
        fn(mode);
    }
}

void DeviceBinding::set_port_device(uint32_t port, const std::string &device) {
    if (auto fn = reinterpret_cast<SetPortDeviceFn>(symbol("SetPortDevice"))) {
        fn(port, device.empty() ? nullptr : device.c_str());
    }
}

bool DeviceBinding::set_trace_file(const std::string &path) {
    auto fn = reinterpret_cast<SetTraceFn>(symbol("SetTraceFile"));
    return fn != nullptr && fn(path.empty() ? nullptr : path.c_str()) == 0;
}

int32_t DeviceBinding::line_error() const {
    // Per thread in the library: asked on the thread that made the request, right after it.
    auto why = reinterpret_cast<LastRequestErrorFn>(symbol("GetLastRequestError"));
    return why != nullptr ? why() : 0;
}

bool DeviceBinding::send_download_packet(const records::DownloadPacket &p, int32_t *line_error) {
    if (line_error != nullptr) {
        *line_error = 0;
    }
    if (stopped() || (!port_open_.load() && !connect())) {
        return false;
    }
    std::array<uint8_t, records::kPacketBytes> packet = records::encode_packet(p);
    std::vector<uint8_t> reply(HL_MAX_REPLY_BYTES, 0);
    for (int attempt = 0; attempt < kPacketTries; ++attempt) {
        auto request = reinterpret_cast<RequestFn>(symbol("phiDownloadDataReq"));
        if (request == nullptr) {
            return false;
        }
        const int32_t result = request(packet.data(), reply.data());
        if (stopped()) {
            return false;
        }
        if (records::ack_status_ok(read_le16(&reply[records::kAckStatusOffset]))) {
            return true;
        }
        if (line_error != nullptr && !confirmed(result)) {
            *line_error = this->line_error();
        }
    }
    return false;
}

bool DeviceBinding::answer_data_indication() {
    if (!port_open_.load() && !connect()) {
        return false;
    }
    auto request = reinterpret_cast<RequestFn>(symbol("phiReceiveDataResp"));
    if (request == nullptr) {
        return false;
    }
    std::array<uint8_t, records::kAckBytes> ack = records::encode_ack();
    std::vector<uint8_t> reply(HL_MAX_REPLY_BYTES, 0);
    return confirmed(request(ack.data(), reply.data()));
}

bool DeviceBinding::remote_command(uint8_t *body, uint8_t *reply, int32_t *status) {
    if (status != nullptr) {
        *status = 0;
    }
    if (stopped() || (!port_open_.load() && !connect())) {
        return false;
    }
    auto request = reinterpret_cast<RequestFn>(symbol("phiQntDlwRemoteCmd"));
    if (request == nullptr) {
        return false;
    }
    int32_t result = request(body, reply);
    if (result == HL_TIMEOUT) {
        // The library answers 9 for every request left unanswered; whether the line was at fault
        // is its per-thread reason, asked here on the same thread.
        if (const int32_t why = line_error(); why != 0) {
            result = why;
        }
    }
    if (status != nullptr) {
        *status = result;
    }
    return !stopped();
}

}  // namespace zemlo::app
