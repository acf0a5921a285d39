// A display driver that offers only the three conversion entry points.
#include <cstdint>

#include "bitmap_view.h"
#include "graphic_conversion.h"
#include "zemlo/byte_order.h"

namespace {
std::optional<zemlo::display::BitmapView> view(const uint8_t *image) {
    return zemlo::display::view_bitmap(image, zemlo::read_le32(image + 2), nullptr);
}
}  // namespace

extern "C" {
__attribute__((visibility("default"))) int32_t _gddiSetConversionDepth(int32_t) {
    return 1;
}
__attribute__((visibility("default"))) uint32_t _gddiGdGraphicMemReq(const uint8_t *image) {
    const auto v = view(image);
    return v ? zemlo::display::graphic_bytes(*v) : 0;
}
__attribute__((visibility("default"))) int32_t _gddiConvertBmpToGdGraphic(const uint8_t *image,
                                                                          uint8_t *graphic) {
    const auto v = view(image);
    return v && zemlo::display::convert(*v, graphic) ? 1 : 0;
}
}
