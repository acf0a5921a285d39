#include "deferred_library.h"

#include <dlfcn.h>

namespace zemlo::media {

namespace {

std::string loader_error() {
    const char *why = ::dlerror();
    return why != nullptr ? why : "unknown loader error";
}

}  // namespace

void *DeferredLibrary::open(std::string *error) const {
    // Local: the program calls it only through the functions looked up; nothing else may bind
    // to its symbols by accident.
    void *handle = ::dlopen(soname_.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        *error = loader_error();
    }
    return handle;
}

void DeferredLibrary::close(void *handle) {
    ::dlclose(handle);
}

void *DeferredLibrary::symbol(void *handle, const char *name, std::string *error) {
    ::dlerror();
    void *f = ::dlsym(handle, name);
    if (f == nullptr) {
        *error = loader_error();
    }
    return f;
}

}  // namespace zemlo::media
