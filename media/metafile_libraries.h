// The metafile readers' functions, from their libraries loaded the first time a WMF or EMF
// picture is read (see deferred_library.h): the window starts without them.
#pragma once

#include <emf2svg.h>
#include <libwmf/api.h>
#include <libwmf/svg.h>

#include <string>

namespace zemlo::media {

struct WmfLibrary {
    decltype(&::wmf_api_create) wmf_api_create = nullptr;
    decltype(&::wmf_api_destroy) wmf_api_destroy = nullptr;
    decltype(&::wmf_mem_open) wmf_mem_open = nullptr;
    decltype(&::wmf_mem_close) wmf_mem_close = nullptr;
    decltype(&::wmf_scan) wmf_scan = nullptr;
    decltype(&::wmf_display_size) wmf_display_size = nullptr;
    decltype(&::wmf_stream_create) wmf_stream_create = nullptr;
    decltype(&::wmf_stream_destroy) wmf_stream_destroy = nullptr;
    decltype(&::wmf_play) wmf_play = nullptr;
    decltype(&::wmf_free) wmf_free = nullptr;
    decltype(&::wmf_svg_function) wmf_svg_function = nullptr;
};

struct EmfLibrary {
    decltype(&::emf2svg) emf2svg = nullptr;
};

// Each library's functions, loading it on the first call (any thread); nullptr with the loader's
// reason when it cannot be loaded.
const WmfLibrary *wmf_library(std::string *error);
const EmfLibrary *emf_library(std::string *error);

}  // namespace zemlo::media
