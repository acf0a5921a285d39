#include "port_probe.h"

#include <filesystem>

#include "device_binding.h"
#include "remote_command_body.h"

namespace zemlo::cli {

namespace {

// The COM number the probe borrows for each device; the mapping is the library's own, set for
// this process only.
constexpr uint32_t kProbePort = 255;
// A handset answers a handshake in a few tens of milliseconds; a silent line should not hold
// the listing up for the usual two seconds.
constexpr uint32_t kProbeTimeoutMs = 600;

}  // namespace

struct PortProbe::State {
    app::ProgramValues values;
    app::Message last_error;
    app::DeviceBinding binding{
        values, [this](const app::ErrorNotice &notice) { last_error = notice.message; }};
};

PortProbe::PortProbe() : state_(std::make_unique<State>()) {}

PortProbe::~PortProbe() {
    state_->binding.close_link();
}

bool PortProbe::load(std::string *error) {
    std::error_code ec;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    return state_->binding.load(ec ? "." : exe.parent_path().string(), error);
}

ProbeResult PortProbe::probe(const std::string &device) {
    ProbeResult r;
    State &s = *state_;
    s.last_error = {};
    s.values.com_port.store(kProbePort);
    // The last attempt of a series: the binding then says why an open failed.
    s.values.connect_attempts_left.store(0);
    s.binding.set_port_device(kProbePort, device);
    s.binding.forget_port();
    if (!s.binding.connect()) {
        // A device that opens but takes no setup has nobody answering on it.
        r.opened = s.last_error.id == app::MessageId::SignallingSetupFailed;
        r.problem = app::render(s.last_error);
        s.binding.close_link();
        return r;
    }
    r.opened = true;
    s.binding.set_timeout(kProbeTimeoutMs);
    std::vector<uint8_t> body =
        app::command_body({records::kGroupHandshake, records::kHandshakeConnect});
    std::vector<uint8_t> reply = app::preset_reply();
    if (s.binding.remote_command(body.data(), reply.data()) &&
        app::reply_status(reply) == records::kStatusAccepted) {
        r.answered = true;
        // Let the handset go, as a disconnect would.
        body = app::command_body({records::kGroupDisconnect, 0});
        reply = app::preset_reply();
        s.binding.remote_command(body.data(), reply.data());
    }
    s.binding.close_link();
    return r;
}

}  // namespace zemlo::cli
