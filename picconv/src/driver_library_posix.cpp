#include <dlfcn.h>

#include "display_binding.h"
#include "driver_library.h"

namespace zemlo::picmill {
namespace {

// The driver is the one beside this library. Asking the loader by bare name would depend on who
// the loader takes for the caller (an intercepting dlopen, as sanitizers install, has no run path
// of its own) and would let a library of the same name elsewhere on the search path stand in.
std::string driver_path() {
    Dl_info info{};
    if (::dladdr(reinterpret_cast<void *>(&open_driver), &info) == 0 || info.dli_fname == nullptr) {
        return kDisplayLibraryName;
    }
    const std::string self = info.dli_fname;
    const auto slash = self.rfind('/');
    if (slash == std::string::npos) {
        return kDisplayLibraryName;
    }
    return self.substr(0, slash + 1) + kDisplayLibraryName;
}

}  // namespace

void *open_driver(std::string *why) {
    void *driver = ::dlopen(driver_path().c_str(), RTLD_NOW | RTLD_LOCAL);
    if (driver == nullptr) {
        const char *error = ::dlerror();
        *why = error != nullptr ? error : "unknown error";
    }
    return driver;
}

void *driver_symbol(void *driver, const char *name) {
    return ::dlsym(driver, name);
}

void close_driver(void *driver) {
    ::dlclose(driver);
}

}  // namespace zemlo::picmill
