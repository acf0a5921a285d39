// Line speeds that have no Bxxx constant (28800) are set through the kernel's termios2 interface,
// which cannot share a translation unit with <termios.h>.
#pragma once

#include <cstdint>

namespace handlink {

// Sets input and output speed of fd to baud exactly; false with errno set when the device refuses.
bool set_custom_baud(int fd, uint32_t baud);

}  // namespace handlink
