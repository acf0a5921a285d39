#include "wine_setup.h"

#include <cstdlib>

#include "zemlo/handset_records.h"

namespace zemlo::testing {
namespace {

std::string env(const char *name) {
    const char *value = std::getenv(name);
    return value != nullptr ? value : "";
}

uint32_t env_port(const char *name) {
    return static_cast<uint32_t>(std::strtoul(env(name).c_str(), nullptr, 10));
}

}  // namespace

const WineSetup &wine_setup() {
    static const WineSetup setup{
        env_port("ZEMLO_WINE_HANDSET_COM"),
        env_port("ZEMLO_WINE_OTHER_COM"),
        env_port("ZEMLO_WINE_MISSING_COM"),
        env_port("ZEMLO_WINE_LOST_COM"),
        env("ZEMLO_WINE_BITMAP"),
        env("ZEMLO_WINE_MELODY"),
        env("ZEMLO_WINE_WORK"),
    };
    return setup;
}

std::string program_folder() {
    char path[MAX_PATH] = {};
    const DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
    const std::string p(path, n < sizeof path ? n : 0);
    return p.substr(0, p.find_last_of("\\/"));
}

HandlinkDll::HandlinkDll() {
    module_ = LoadLibraryA((program_folder() + "\\handlink.dll").c_str());
    if (module_ == nullptr) {
        return;
    }
#define HL_RESOLVE(name) name = find_export<decltype(&::name)>(module_, #name);
    HL_RESOLVE(OpenComm)
    HL_RESOLVE(CloseComm)
    HL_RESOLVE(SetMobileDataHandler)
    HL_RESOLVE(SendSetup)
    HL_RESOLVE(SetTimeoutMs)
    HL_RESOLVE(VchargeControl)
    HL_RESOLVE(GetInterfaceDllRev)
    HL_RESOLVE(GetEmmiCommDllRev)
    HL_RESOLVE(GetLastOpenError)
    HL_RESOLVE(GetLastRequestError)
#undef HL_RESOLVE
}

HandlinkDll::~HandlinkDll() {
    unload();
}

bool HandlinkDll::unload() {
    const bool freed = module_ == nullptr || FreeLibrary(module_) != 0;
    module_ = nullptr;
    return freed;
}

HandlinkDll::Request HandlinkDll::request(const char *name) const {
    return find_export<Request>(module_, name);
}

int32_t HandlinkDll::handshake() const {
    records::RemoteCommand c;
    c.group = records::kGroupHandshake;
    auto body = records::encode_remote_command(c);
    static uint8_t reply[HL_MAX_REPLY_BYTES];
    return request("phiQntDlwRemoteCmd")(body.data(), reply);
}

std::string HandlinkDll::last_open_error() const {
    char text[512] = {};
    GetLastOpenError(text, sizeof text);
    return text;
}

double elapsed_ms(ULONGLONG start) {
    return static_cast<double>(GetTickCount64() - start);
}

}  // namespace zemlo::testing
