// What the Windows test program is given by the run that starts it under Wine (wine_run_test.cpp
// on Linux): which COM ports lead where, and the files to convert and download. Read from the
// environment, which Wine passes on.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "handlink.h"

namespace zemlo::testing {

struct WineSetup {
    uint32_t handset_port = 0;  // COM port of the handset emulator, seeded with sample files
    uint32_t other_port = 0;    // COM port of a second emulator
    uint32_t missing_port = 0;  // a COM port that leads nowhere
    uint32_t lost_port = 0;     // COM port of an emulator that hangs up during a download
    std::string bitmap;         // the 24-bit bitmap the converter is given
    std::string melody;         // a handset melody file
    std::string work;           // a folder for the converter's text
};

const WineSetup &wine_setup();

// The folder of the running program, where the libraries lie.
std::string program_folder();

// handlink.dll, loaded from beside the program, its exports looked up by name as the program
// does. Unloaded again when it goes.
class HandlinkDll {
  public:
    HandlinkDll();
    ~HandlinkDll();
    HandlinkDll(const HandlinkDll &) = delete;
    HandlinkDll &operator=(const HandlinkDll &) = delete;

    bool ok() const { return module_ != nullptr; }
    HMODULE module() const { return module_; }
    // Unloads it now; false when FreeLibrary failed.
    bool unload();

    using Request = int32_t(HL_CALL *)(uint8_t *body, uint8_t *reply);
    Request request(const char *name) const;

    decltype(&::OpenComm) OpenComm = nullptr;
    decltype(&::CloseComm) CloseComm = nullptr;
    decltype(&::SetMobileDataHandler) SetMobileDataHandler = nullptr;
    decltype(&::SendSetup) SendSetup = nullptr;
    decltype(&::SetTimeoutMs) SetTimeoutMs = nullptr;
    decltype(&::VchargeControl) VchargeControl = nullptr;
    decltype(&::GetInterfaceDllRev) GetInterfaceDllRev = nullptr;
    decltype(&::GetEmmiCommDllRev) GetEmmiCommDllRev = nullptr;
    decltype(&::GetLastOpenError) GetLastOpenError = nullptr;
    decltype(&::GetLastRequestError) GetLastRequestError = nullptr;

    // The handshake through phiQntDlwRemoteCmd: its result (a confirmation is >= 0x01000000).
    int32_t handshake() const;
    // GetLastOpenError as a string.
    std::string last_open_error() const;

  private:
    HMODULE module_ = nullptr;
};

// The export called name of module, as a function of type F (nullptr when it has none).
template <class F>
F find_export(HMODULE module, const char *name) {
    return reinterpret_cast<F>(reinterpret_cast<void *>(GetProcAddress(module, name)));
}

// Milliseconds since `start` (GetTickCount64).
double elapsed_ms(ULONGLONG start);

}  // namespace zemlo::testing
