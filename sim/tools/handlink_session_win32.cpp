// The session on Windows: the library loaded with LoadLibraryA, its messages posted to a
// message-only window whose thread runs a message loop, as a program's window thread does.
#include <windows.h>

#include <future>
#include <thread>

#include "handlink_session.h"

namespace handsim {
namespace {

constexpr const char *kWindowClass = "HandlinkSessionSink";

}  // namespace

struct HandlinkSession::Sink {
    HandlinkSession *owner;
    HWND window = nullptr;
    std::thread loop;

    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
        if (message == kWindowMessage) {
            auto *sink = reinterpret_cast<Sink *>(GetWindowLongPtrA(window, GWLP_USERDATA));
            post(sink->owner, message, wparam, lparam);
            return 0;
        }
        if (message == WM_DESTROY) {
            PostQuitMessage(0);
            return 0;
        }
        return DefWindowProcA(window, message, wparam, lparam);
    }

    // The window belongs to the loop's thread: it is made there and its messages are handled
    // there, one at a time, whenever the library posts one.
    void run(std::promise<HWND> &made) {
        WNDCLASSA type{};
        type.lpfnWndProc = &Sink::procedure;
        type.hInstance = GetModuleHandleA(nullptr);
        type.lpszClassName = kWindowClass;
        RegisterClassA(&type);  // fails harmlessly when an earlier session registered it
        const HWND made_window = CreateWindowExA(0, kWindowClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE,
                                                 nullptr, type.hInstance, nullptr);
        if (made_window != nullptr) {
            SetWindowLongPtrA(made_window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        }
        made.set_value(made_window);
        if (made_window == nullptr) {
            return;
        }
        MSG msg;
        while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
};

void *HandlinkSession::load_file(const std::string &path, std::string *error) {
    const HMODULE library = LoadLibraryA(path.c_str());
    if (library == nullptr) {
        *error = "cannot load " + path + " (error " + std::to_string(GetLastError()) + ")";
    }
    return reinterpret_cast<void *>(library);
}

void *HandlinkSession::find_symbol(void *library, const char *name) {
    return library != nullptr
               ? reinterpret_cast<void *>(GetProcAddress(static_cast<HMODULE>(library), name))
               : nullptr;
}

void HandlinkSession::unload_file(void *library) {
    FreeLibrary(static_cast<HMODULE>(library));
}

std::string HandlinkSession::program_dir() {
    char path[MAX_PATH] = {};
    const DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
    const std::string p(path, n < sizeof path ? n : 0);
    return p.substr(0, p.find_last_of("\\/"));
}

HandlinkSession::Sink *HandlinkSession::make_sink(HandlinkSession *owner) {
    auto *sink = new Sink{owner};
    std::promise<HWND> made;
    std::future<HWND> window = made.get_future();
    sink->loop = std::thread([sink, made = std::move(made)]() mutable { sink->run(made); });
    sink->window = window.get();
    return sink;
}

HlWindowHandle HandlinkSession::sink_window(Sink *sink) {
    return sink->window;
}

void HandlinkSession::drop_sink(Sink *sink) {
    if (sink->window != nullptr) {
        PostMessageA(sink->window, WM_CLOSE, 0, 0);  // the loop ends with the window
    }
    sink->loop.join();
    delete sink;
}

}  // namespace handsim
