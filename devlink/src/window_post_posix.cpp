// The window is the host's HlWindow: its post function is called, and the record it is given is
// the host's to copy until post returns.
#include "window_post.h"

namespace handlink {

size_t posted_record_copies() {
    return 1;
}

void post_to_window(HlWindowHandle window, uint32_t message, const uint8_t *record,
                    intptr_t lparam) {
    if (window != nullptr && window->post != nullptr) {
        window->post(window, message, reinterpret_cast<uintptr_t>(record), lparam);
    }
}

}  // namespace handlink
