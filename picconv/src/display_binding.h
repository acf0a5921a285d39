// The library-wide binding to the display driver (libdisplay.so, display.dll): its handle, its four
// entry points and the buffer that receives its description. Loaded for each conversion and freed
// after a successful one.
#pragma once

#include <string>

#include "display_driver.h"

namespace zemlo::picmill {

#if defined(_WIN32)
inline constexpr const char *kDisplayLibraryName = "display.dll";
#else
inline constexpr const char *kDisplayLibraryName = "libdisplay.so";
#endif

struct DisplayBinding {
    void *handle = nullptr;
    GddiDescribeDriverFn describe = nullptr;
    GddiSetConversionDepthFn set_depth = nullptr;
    GddiGdGraphicMemReqFn mem_req = nullptr;
    GddiConvertBmpToGdGraphicFn convert = nullptr;
    char description[GDDI_DESCRIPTION_BYTES] = {};
};

DisplayBinding &display_binding();

// Frees a driver still held from an earlier call and forgets its entry points.
void release_display();

// Loads the driver by bare name and binds its entry points; the description is fetched when the
// driver offers it. On failure a diagnostic line is appended and the handle, if any, stays held.
bool load_display(std::string *diagnostics);

}  // namespace zemlo::picmill
