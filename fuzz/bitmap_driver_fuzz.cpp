// A bitmap file through the converter library's checks, then the driver's memory requirement
// and conversion into a buffer of exactly the size the library would allocate, then the text.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "bitmap_view.h"
#include "bmp_data.h"
#include "graphic_conversion.h"
#include "graphic_text.h"
#include "zemlo/byte_order.h"

namespace {
constexpr uint32_t kMaxGraphicBytes = 0xFFFF;
constexpr size_t kFileSizeField = 2;
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    zemlo::picmill::BMPData job({});
    std::string diagnostics;
    if (!job.load_image(std::vector<uint8_t>(data, data + size), "fuzz.bmp", &diagnostics)) {
        return 0;
    }
    // As the driver sees it: only a pointer, with the size field telling how far it may read.
    const std::vector<uint8_t> &image = job.file_image();
    const size_t declared = zemlo::read_le32(image.data() + kFileSizeField);
    const auto view = zemlo::display::view_bitmap(image.data(), declared, nullptr);
    if (!view) {
        return 0;
    }
    const uint32_t required = zemlo::display::graphic_bytes(*view);
    if (required == 0 || required > kMaxGraphicBytes) {
        return 0;
    }
    std::vector<uint8_t> graphic(required, 0);
    if (zemlo::display::convert(*view, graphic.data())) {
        (void)zemlo::picmill::graphic_text(graphic.data(), graphic.size(), "QN_TEMP_EL_FILE");
    }
    return 0;
}
