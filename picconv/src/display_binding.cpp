#include "display_binding.h"

#include "driver_library.h"

namespace zemlo::picmill {

namespace {

template <typename Fn>
Fn bind(void *handle, const char *name) {
    return reinterpret_cast<Fn>(driver_symbol(handle, name));
}

}  // namespace

DisplayBinding &display_binding() {
    static DisplayBinding binding;
    return binding;
}

void release_display() {
    DisplayBinding &d = display_binding();
    if (d.handle != nullptr) {
        close_driver(d.handle);
    }
    d.handle = nullptr;
    d.describe = nullptr;
    d.set_depth = nullptr;
    d.mem_req = nullptr;
    d.convert = nullptr;
}

bool load_display(std::string *diagnostics) {
    DisplayBinding &d = display_binding();
    std::string why;
    d.handle = open_driver(&why);
    if (d.handle == nullptr) {
        *diagnostics +=
            std::string("Error: cannot load ") + kDisplayLibraryName + ": " + why + "\n";
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
