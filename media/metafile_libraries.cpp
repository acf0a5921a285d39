#include "metafile_libraries.h"

#include "deferred_library.h"

namespace zemlo::media {

namespace {

DeferredLibrary g_wmf(ZEMLO_WMF_SONAME);
DeferredLibrary g_emf(ZEMLO_EMF_SONAME);
WmfLibrary g_wmf_functions;
EmfLibrary g_emf_functions;

// The WMF reader's own functions live partly in its companion library, which it brings along:
// a lookup in its handle finds them there too.
bool bind_wmf(void *h, std::string *e) {
    WmfLibrary &f = g_wmf_functions;
    return bind_function(h, "wmf_api_create", f.wmf_api_create, e) &&
           bind_function(h, "wmf_api_destroy", f.wmf_api_destroy, e) &&
           bind_function(h, "wmf_mem_open", f.wmf_mem_open, e) &&
           bind_function(h, "wmf_mem_close", f.wmf_mem_close, e) &&
           bind_function(h, "wmf_scan", f.wmf_scan, e) &&
           bind_function(h, "wmf_display_size", f.wmf_display_size, e) &&
           bind_function(h, "wmf_stream_create", f.wmf_stream_create, e) &&
           bind_function(h, "wmf_stream_destroy", f.wmf_stream_destroy, e) &&
           bind_function(h, "wmf_play", f.wmf_play, e) &&
           bind_function(h, "wmf_free", f.wmf_free, e) &&
           bind_function(h, "wmf_svg_function", f.wmf_svg_function, e);
}

bool bind_emf(void *h, std::string *e) {
    return bind_function(h, "emf2svg", g_emf_functions.emf2svg, e);
}

}  // namespace

const WmfLibrary *wmf_library(std::string *error) {
    return g_wmf.load(bind_wmf, error) ? &g_wmf_functions : nullptr;
}

const EmfLibrary *emf_library(std::string *error) {
    return g_emf.load(bind_emf, error) ? &g_emf_functions : nullptr;
}

}  // namespace zemlo::media
