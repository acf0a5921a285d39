// The session on a POSIX system: the library loaded with dlopen, its messages handed to a sink
// that the library calls on its device worker thread.
#include <dlfcn.h>
#include <unistd.h>

#include <climits>

#include "handlink_session.h"

namespace handsim {

struct HandlinkSession::Sink {
    HlWindow window;
    HandlinkSession *owner;
};

void *HandlinkSession::load_file(const std::string &path, std::string *error) {
    void *library = ::dlopen(path.c_str(), RTLD_NOW);
    if (library == nullptr) {
        *error = ::dlerror();
    }
    return library;
}

void *HandlinkSession::find_symbol(void *library, const char *name) {
    return library != nullptr ? ::dlsym(library, name) : nullptr;
}

void HandlinkSession::unload_file(void *library) {
    ::dlclose(library);
}

std::string HandlinkSession::program_dir() {
    char path[PATH_MAX] = {};
    const ssize_t n = ::readlink("/proc/self/exe", path, sizeof path - 1);
    std::string p(path, n > 0 ? static_cast<size_t>(n) : 0);
    return p.substr(0, p.rfind('/'));
}

HandlinkSession::Sink *HandlinkSession::make_sink(HandlinkSession *owner) {
    auto *sink = new Sink{{nullptr}, owner};
    sink->window.post = [](HlWindow *w, uint32_t message, uintptr_t wparam, intptr_t lparam) {
        post(reinterpret_cast<Sink *>(w)->owner, message, wparam, lparam);
    };
    return sink;
}

HlWindowHandle HandlinkSession::sink_window(Sink *sink) {
    return &sink->window;
}

void HandlinkSession::drop_sink(Sink *sink) {
    delete sink;
}

}  // namespace handsim
