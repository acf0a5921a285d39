// The window is a Windows window: the message goes into its queue, wParam the record's address,
// and its thread reads the record when it gets there, so the record outlives the call.
#include "window_post.h"

namespace handlink {

size_t posted_record_copies() {
    return HL_POSTED_RECORDS;
}

void post_to_window(HlWindowHandle window, uint32_t message, const uint8_t *record,
                    intptr_t lparam) {
    if (window != nullptr) {
        // A window that is gone, or whose queue is full, misses the message, as any window would.
        PostMessageA(window, message, reinterpret_cast<WPARAM>(record),
                     static_cast<LPARAM>(lparam));
    }
}

}  // namespace handlink
