#include <windows.h>

#include <atomic>

#include "frame_link.h"
#include "library.h"
#include "library_lifetime.h"

namespace handlink {
namespace {

// Created at first use, never by a static destructor: see library_lifetime.h.
std::atomic<FrameLink *> g_link{nullptr};
std::atomic<Library *> g_library{nullptr};
}  // namespace

FrameLink &frame_link() {
    static FrameLink *const link = g_link = new FrameLink;
    return *link;
}

Library &library() {
    static Library *const instance = g_library = new Library;
    return *instance;
}

}  // namespace handlink

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID reserved) {
    // reserved is null when FreeLibrary unloads the library, and then no worker runs (it would
    // hold the library). At the end of the process the threads are gone: nothing is touched.
    if (reason == DLL_PROCESS_DETACH && reserved == nullptr) {
        delete handlink::g_library.exchange(nullptr);
        delete handlink::g_link.exchange(nullptr);
    }
    return TRUE;
}
