#include <windows.h>

#include "library_lifetime.h"

namespace handlink {
namespace {

HMODULE this_library() {
    HMODULE module = nullptr;
    GetModuleHandleExW(
        GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
        reinterpret_cast<LPCWSTR>(&this_library), &module);
    return module;
}

}  // namespace

void hold_library() {
    HMODULE held = nullptr;
    // One more reference to this library: a FreeLibrary of the caller's cannot unload it now.
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                       reinterpret_cast<LPCWSTR>(&hold_library), &held);
}

void release_library() {
    // Called from an export, so the caller's own reference keeps the library loaded past this.
    FreeLibrary(this_library());
}

}  // namespace handlink
