#include "font_warm_up.h"

#include <fontconfig/fontconfig.h>

namespace zemlo::shell {

// The library keeps the configuration it made for the whole process; the toolkit's later call
// only finds it made.
FontWarmUp::FontWarmUp() : thread_([] { FcInit(); }) {}

FontWarmUp::~FontWarmUp() {
    wait();
}

void FontWarmUp::wait() {
    if (thread_.joinable()) {
        thread_.join();
    }
}

}  // namespace zemlo::shell
