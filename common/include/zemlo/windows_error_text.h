// The system's sentence for a Windows error code, for the messages the Windows build gives.
#pragma once

#if defined(_WIN32)

#include <windows.h>

#include <string>

namespace zemlo {

// "Access is denied", without the line end and full stop the system puts after it; "error n"
// when the system has no text for the code.
inline std::string windows_error_text(DWORD error) {
    char buffer[256] = {};
    const DWORD n =
        FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error,
                       MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), buffer, sizeof buffer, nullptr);
    std::string text(buffer, n);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == '.')) {
        text.pop_back();
    }
    return text.empty() ? "error " + std::to_string(error) : text;
}

}  // namespace zemlo

#endif
