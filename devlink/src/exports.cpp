// The plain exports: link control, setup, settings, revision texts and the trace switch.
// The requests are generated from their table in request_family.cpp.
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <thread>

#include "exchange.h"
#include "handlink.h"
#include "library.h"
#include "port_directory.h"
#include "request_record.h"
#include "serial_port.h"
#include "zemlo/handset_records.h"

namespace handlink {
namespace {

using std::chrono::milliseconds;

// Lets the handset notice the dropped line before anything else happens.
constexpr milliseconds kCloseSettle{500};
// Lets the handset settle after the open before it is told what to report.
constexpr milliseconds kSetupSettle{500};

constexpr size_t kCommandRecordBytes = 64;

constexpr const char *kInterfaceRevision = "3.0";

uint32_t copy_text(std::string_view text, char *buf, uint32_t size) {
    if (buf != nullptr && size > 0) {
        const size_t n = std::min<size_t>(text.size(), size - 1);
        std::memcpy(buf, text.data(), n);
        buf[n] = '\0';
    }
    return static_cast<uint32_t>(text.size());
}

int32_t map_open_status(int32_t status) {
    switch (status) {
        case kSerialBadPort:
            return HL_OPEN_BAD_PORT;
        case kSerialBadBaud:
            return HL_OPEN_BAD_BAUD;
        case kOpenException:
            return HL_OPEN_FAILED;
        case kSerialNotOpened:
            // The device could not be opened or configured: a failure, not a success that
            // would only show later as a setup error.
            return HL_OPEN_DEVICE_ERROR;
        default:
            return HL_OPEN_OK;
    }
}

}  // namespace
}  // namespace handlink

using handlink::library;

extern "C" {

HL_EXPORT int32_t OpenComm(uint32_t port, uint32_t baud) {
    handlink::Library &lib = library();
    lib.set_open_refusal({});
    // An open link serves only the device it was opened on: success for another port's device
    // would send everything that follows to the wrong device.
    if (port >= 1 && lib.link().is_open()) {
        const std::string open_device = lib.link().port().device();
        const std::string wanted = handlink::resolve_port_device(port);
        if (wanted != open_device) {
            // snprintf, not std::to_string: the latter's digit table is a unique symbol that
            // would keep the library from being unloaded.
            char com[16];
            std::snprintf(com, sizeof com, "COM%u", static_cast<unsigned>(port));
            lib.set_open_refusal(std::string(com) + " is " + wanted + ", but " + open_device +
                                 " is open: call CloseComm first");
            return HL_OPEN_DEVICE_ERROR;
        }
    }
    if (!lib.worker().start()) {
        return HL_OPEN_NO_WORKER;
    }
    const auto status = lib.worker().open(port, baud);
    if (!status.has_value()) {
        return HL_OPEN_NO_WORKER;
    }
    const int32_t result = handlink::map_open_status(*status);
    if (result == HL_OPEN_OK) {
        lib.set_timeout_ms(handlink::scaled_ms(handlink::kDefaultTimeoutMs));
    }
    return result;
}

HL_EXPORT void CloseComm(void) {
    handlink::Library &lib = library();
    if (lib.worker().on_worker_thread()) {
        return;
    }
    lib.worker().close_and_stop();
    std::this_thread::sleep_for(handlink::scaled(handlink::kCloseSettle));
}

HL_EXPORT void SetMobileDataHandler(HlWindowHandle window, uint32_t message) {
    library().worker().set_window(window, message);
}

HL_EXPORT int32_t SendSetup(void) {
    handlink::Library &lib = library();
    handlink::DeviceWorker &worker = lib.worker();
    if (!worker.running() || worker.on_worker_thread()) {
        return HL_SETUP_FILTER_FAILED;
    }
    const handlink::SetupNames setup = lib.rebuild_tables();
    std::this_thread::sleep_for(handlink::scaled(handlink::kSetupSettle));

    std::array<uint8_t, handlink::kRequestRecordBytes> record;
    size_t size =
        handlink::build_signal_record(setup.sender, setup.receiver, setup.filter_signal,
                                      setup.matrix.data(), setup.matrix.size(), record.data());
    const auto filter = worker.send(record.data(), size);
    if (!filter.has_value() || *filter != 0) {
        return HL_SETUP_FILTER_FAILED;
    }
    uint8_t command[handlink::kCommandRecordBytes];
    // The command that completes the setup.
    const auto &setup_command = zemlo::records::kSetupCommand;
    size = handlink::build_command_record(setup_command.data(), setup_command.size(), command,
                                          sizeof command);
    const auto sent = worker.send(command, size);
    if (!sent.has_value() || *sent != 0) {
        return HL_SETUP_COMMAND_FAILED;
    }
    return HL_SETUP_OK;
}

HL_EXPORT uint8_t SetDllMode(uint8_t mode) {
    library().mode.store(mode);
    return mode;
}

HL_EXPORT uint32_t SetTimeoutMs(uint32_t ms) {
    library().set_timeout_ms(handlink::scaled_ms(ms));
    return ms;
}

HL_EXPORT void UseInterfaceDescFile(const char *path) {
    library().set_description_file(path);
}

HL_EXPORT uint8_t VchargeControl(uint32_t value) {
    return library().worker().charge(value).value_or(0);
}

HL_EXPORT uint32_t GetInterfaceDllRev(char *buf, uint32_t size) {
    return handlink::copy_text(handlink::kInterfaceRevision, buf, size);
}

HL_EXPORT uint32_t GetEmmiCommDllRev(char *buf, uint32_t size) {
    return handlink::copy_text("", buf, size);
}

HL_EXPORT uint32_t GetL1CommDllRev(char *buf, uint32_t size) {
    return handlink::copy_text("", buf, size);
}

HL_EXPORT void SetPortDevice(uint32_t port, const char *device) {
    handlink::set_port_device(port, device);
}

HL_EXPORT uint32_t GetLastOpenError(char *buf, uint32_t size) {
    const std::string refusal = library().open_refusal();
    const handlink::OpenFailure failure = library().link().port().last_open_failure();
    const std::string text = !refusal.empty()            ? refusal
                             : failure.error_number != 0 ? failure.describe()
                                                         : std::string();
    return handlink::copy_text(text, buf, size);
}

HL_EXPORT int32_t GetLastRequestError(void) {
    return handlink::last_request_error();
}

HL_EXPORT int32_t SetTraceFile(const char *path) {
    handlink::Library &lib = library();
    return lib.trace().set_file(lib.link(), path);
}

}  // extern "C"
