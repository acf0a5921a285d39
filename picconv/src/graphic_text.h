// The C source text that carries a handset graphic: a structure declaration, then the
// initialiser with width, height, image size, the pixel offset and one line of bytes per row.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace zemlo::picmill {

// The text for the graphic in buffer[0, size). The rows hold exactly width x height pixels of
// two bytes, whatever the size field says; nullopt when the buffer does not hold them.
std::optional<std::string> graphic_text(const uint8_t *buffer, size_t size,
                                        const std::string &symbol);

}  // namespace zemlo::picmill
