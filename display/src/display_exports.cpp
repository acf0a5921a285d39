// The four entry points of the display driver. The converter library loads the driver for one
// conversion at a time, so the depth setting is plain process state.
#include <atomic>
#include <cstdio>
#include <optional>

#include "bitmap_view.h"
#include "display_driver.h"
#include "graphic_conversion.h"
#include "zemlo/byte_order.h"

#if defined(_WIN32)
#define GDDI_EXPORT __declspec(dllexport)
#else
#define GDDI_EXPORT __attribute__((visibility("default")))
#endif

namespace {

constexpr size_t kFileSizeField = 2;
constexpr const char *kDescription = "Zemlo display driver: 1/2/4/8/24-bit bitmaps to RGB565";

std::atomic<int32_t> g_depth{zemlo::display::kSupportedDepth};

// The driver is told only where the file image starts; its file-size field says how many
// bytes the caller holds.
std::optional<zemlo::display::BitmapView> view(const uint8_t *file_image) {
    if (file_image == nullptr) {
        return std::nullopt;
    }
    const size_t size = zemlo::read_le32(file_image + kFileSizeField);
    return zemlo::display::view_bitmap(file_image, size, nullptr);
}

}  // namespace

extern "C" {

GDDI_EXPORT int32_t _gddiDescribeDriver(char *description) {
    if (description != nullptr) {
        std::snprintf(description, GDDI_DESCRIPTION_BYTES, "%s", kDescription);
    }
    return 1;
}

GDDI_EXPORT int32_t _gddiSetConversionDepth(int32_t depth) {
    g_depth = depth;
    return depth == zemlo::display::kSupportedDepth ? 1 : 0;
}

GDDI_EXPORT uint32_t _gddiGdGraphicMemReq(const uint8_t *file_image) {
    const auto bitmap = view(file_image);
    if (!bitmap || g_depth != zemlo::display::kSupportedDepth) {
        return 0;
    }
    return zemlo::display::graphic_bytes(*bitmap);
}

GDDI_EXPORT int32_t _gddiConvertBmpToGdGraphic(const uint8_t *file_image, uint8_t *graphic) {
    const auto bitmap = view(file_image);
    if (!bitmap || graphic == nullptr || g_depth != zemlo::display::kSupportedDepth) {
        return 0;
    }
    return zemlo::display::convert(*bitmap, graphic) ? 1 : 0;
}

}  // extern "C"
