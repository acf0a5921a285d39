#include "display_binding.h"

#include <dlfcn.h>

namespace zemlo::picmill {

namespace {

template <typename Fn>
Fn bind(void *handle, const char *name) {
    return reinterpret_cast<Fn>(::dlsym(handle, name));
}

// The driver is the one beside this library. Asking the loader by bare name would depend on who
// the loader takes for the caller (an intercepting dlopen, as sanitizers install, has no run path
// of its own) and would let a library of the same name elsewhere on the search path stand in.
std::string driver_path() {
    Dl_info info{};
    if (::dladdr(reinterpret_cast<void *>(&load_display), &info) == 0 ||
        info.dli_fname == nullptr) {
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

DisplayBinding &display_binding() {
    static DisplayBinding binding;
    return binding;
}

void release_display() {
    DisplayBinding &d = display_binding();
    if (d.handle != nullptr) {
        ::dlclose(d.handle);
    }
    d.handle = nullptr;
    d.describe = nullptr;
    d.set_depth = nullptr;
    d.mem_req = nullptr;
    d.convert = nullptr;
}

bool load_display(std::string *diagnostics) {
    DisplayBinding &d = display_binding();
    d.handle = ::dlopen(driver_path().c_str(), RTLD_NOW | RTLD_LOCAL);
    if (d.handle == nullptr) {
        const char *why = ::dlerror();
        *diagnostics += std::string("Error: cannot load ") + kDisplayLibraryName + ": " +
                        (why != nullptr ? why : "unknown error") + "\n";
        return false;
    }
    d.convert = bind<GddiConvertBmpToGdGraphicFn>(d.handle, "_gddiConvertBmpToGdGraphic");
    d.mem_req = bind<GddiGdGraphicMemReqFn>(d.handle, "_gddiGdGraphicMemReq");
    d.set_depth = bind<GddiSetConversionDepthFn>(d.handle, "_gddiSetConversionDepth");
    if (d.convert == nullptr || d.mem_req == nullptr || d.set_depth == nullptr) {
        *diagnostics +=
            std::string("Error: ") + kDisplayLibraryName + " lacks a conversion entry point\n";
        return false;
    }
    d.describe = bind<GddiDescribeDriverFn>(d.handle, "_gddiDescribeDriver");
    if (d.describe != nullptr) {
        d.describe(d.description);
    }
    return true;
}

}  // namespace zemlo::picmill
