#include "custom_baud.h"

#include <asm/ioctls.h>
#include <asm/termbits.h>

extern "C" int ioctl(int fd, unsigned long request, ...);

namespace handlink {

bool set_custom_baud(int fd, uint32_t baud) {
    struct termios2 settings {};
    if (ioctl(fd, TCGETS2, &settings) != 0) {
        return false;
    }
    settings.c_cflag &= ~CBAUD;
    settings.c_cflag |= BOTHER;
    settings.c_cflag &= ~(CBAUD << IBSHIFT);
    settings.c_cflag |= BOTHER << IBSHIFT;
    settings.c_ispeed = baud;
    settings.c_ospeed = baud;
    return ioctl(fd, TCSETS2, &settings) == 0;
}

}  // namespace handlink
