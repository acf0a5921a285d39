// Loads libhandlink.so from beside the test program with dlopen and resolves its exports by name,
// as the program and outside test tools do.
#pragma once

#include <dlfcn.h>
#include <unistd.h>

#include <climits>
#include <string>

#include "handlink.h"

namespace handlink::testing {

inline std::string program_dir() {
    char path[PATH_MAX] = {};
    const ssize_t n = ::readlink("/proc/self/exe", path, sizeof path - 1);
    std::string dir(path, n > 0 ? static_cast<size_t>(n) : 0);
    return dir.substr(0, dir.rfind('/'));
}

using RequestFn = int32_t (*)(uint8_t *, uint8_t *);

class HandlinkApi {
  public:
    HandlinkApi() {
        handle_ = dlopen((program_dir() + "/libhandlink.so").c_str(), RTLD_NOW | RTLD_LOCAL);
        if (handle_ == nullptr) {
            return;
        }
#define HL_RESOLVE(name) name = reinterpret_cast<decltype(&::name)>(dlsym(handle_, #name));
        HL_RESOLVE(OpenComm)
        HL_RESOLVE(CloseComm)
        HL_RESOLVE(SetMobileDataHandler)
        HL_RESOLVE(SendSetup)
        HL_RESOLVE(SetDllMode)
        HL_RESOLVE(SetTimeoutMs)
        HL_RESOLVE(UseInterfaceDescFile)
        HL_RESOLVE(VchargeControl)
        HL_RESOLVE(GetInterfaceDllRev)
        HL_RESOLVE(GetEmmiCommDllRev)
        HL_RESOLVE(GetL1CommDllRev)
        HL_RESOLVE(SetPortDevice)
        HL_RESOLVE(GetLastOpenError)
        HL_RESOLVE(GetLastRequestError)
        HL_RESOLVE(SetTraceFile)
#undef HL_RESOLVE
    }
    ~HandlinkApi() {
        if (handle_ != nullptr) {
            dlclose(handle_);
        }
    }
    HandlinkApi(const HandlinkApi &) = delete;
    HandlinkApi &operator=(const HandlinkApi &) = delete;

    bool ok() const {
        return handle_ != nullptr;
    }
    static std::string error() {
        const char *e = dlerror();
        return e != nullptr ? e : "";
    }
    RequestFn request(const char *name) const {
        return reinterpret_cast<RequestFn>(dlsym(handle_, name));
    }

    decltype(&::OpenComm) OpenComm = nullptr;
    decltype(&::CloseComm) CloseComm = nullptr;
    decltype(&::SetMobileDataHandler) SetMobileDataHandler = nullptr;
    decltype(&::SendSetup) SendSetup = nullptr;
    decltype(&::SetDllMode) SetDllMode = nullptr;
    decltype(&::SetTimeoutMs) SetTimeoutMs = nullptr;
    decltype(&::UseInterfaceDescFile) UseInterfaceDescFile = nullptr;
    decltype(&::VchargeControl) VchargeControl = nullptr;
    decltype(&::GetInterfaceDllRev) GetInterfaceDllRev = nullptr;
    decltype(&::GetEmmiCommDllRev) GetEmmiCommDllRev = nullptr;
    decltype(&::GetL1CommDllRev) GetL1CommDllRev = nullptr;
    decltype(&::SetPortDevice) SetPortDevice = nullptr;
    decltype(&::GetLastOpenError) GetLastOpenError = nullptr;
    decltype(&::GetLastRequestError) GetLastRequestError = nullptr;
    decltype(&::SetTraceFile) SetTraceFile = nullptr;

  private:
    void *handle_ = nullptr;
};

}  // namespace handlink::testing
