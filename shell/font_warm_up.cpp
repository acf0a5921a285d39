#include "font_warm_up.h"

#include <fontconfig/fontconfig.h>

namespace zemlo::shell {

// The library makes its configuration once for the whole process and takes care of two threads
// asking at the same time; the toolkit's later call only finds it made.
FontWarmUp::FontWarmUp() : thread_([] { FcInit(); }) {}

FontWarmUp::~FontWarmUp() {
    thread_.join();
}

}  // namespace zemlo::shell
