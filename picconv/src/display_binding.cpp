#include "display_binding.h"

#include <dlfcn.h>

namespace zemlo::picmill {

namespace {

template <typename Fn>
Fn bind(void *handle, const char *name) {
    return reinterpret_cast<Fn>(::dlsym(handle, name));
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
    d.handle = ::dlopen(kDisplayLibraryName, RTLD_NOW | RTLD_LOCAL);
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
