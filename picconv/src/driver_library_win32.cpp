#include <windows.h>

#include "display_binding.h"
#include "driver_library.h"
#include "zemlo/windows_error_text.h"

namespace zemlo::picmill {
namespace {

// The driver is the one beside this library, whatever the program's folder or the search path
// hold: its full path, found from this library's own.
std::string driver_path() {
    HMODULE self = nullptr;
    char path[MAX_PATH] = {};
    if (!GetModuleHandleExA(
            GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
            reinterpret_cast<LPCSTR>(&open_driver), &self)) {
        return kDisplayLibraryName;
    }
    const DWORD n = GetModuleFileNameA(self, path, sizeof path);
    if (n == 0 || n >= sizeof path) {
        return kDisplayLibraryName;
    }
    const std::string own(path, n);
    const auto slash = own.find_last_of("\\/");
    if (slash == std::string::npos) {
        return kDisplayLibraryName;
    }
    return own.substr(0, slash + 1) + kDisplayLibraryName;
}

}  // namespace

void *open_driver(std::string *why) {
    const HMODULE driver =
        LoadLibraryExA(driver_path().c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    if (driver == nullptr) {
        *why = zemlo::windows_error_text(GetLastError());
    }
    return reinterpret_cast<void *>(driver);
}

void *driver_symbol(void *driver, const char *name) {
    return reinterpret_cast<void *>(GetProcAddress(static_cast<HMODULE>(driver), name));
}

void close_driver(void *driver) {
    FreeLibrary(static_cast<HMODULE>(driver));
}

}  // namespace zemlo::picmill
