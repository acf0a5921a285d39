// The converter's C source text read back into the handset picture file.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "handset_picture.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    std::string error;
    const auto file = zemlo::media::handset_picture_from_text(
        std::string_view(reinterpret_cast<const char *>(data), size), &error);
    if (file && file->size() < zemlo::media::kHandsetPictureHeaderBytes) {
        __builtin_trap();  // a whole picture always has its header
    }
    return 0;
}
