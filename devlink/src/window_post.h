// How a handset message reaches the program's window: one file per system. Elsewhere the window
// is the host's HlWindow and its post function is called; on Windows the message is posted to the
// window's queue with PostMessageA and handled later on the window's own thread.
#pragma once

#include <cstddef>
#include <cstdint>

#include "handlink.h"

namespace handlink {

// How many forwarded records must stay valid at once: one where the host copies the record
// during the call, HL_POSTED_RECORDS where the window reads it when it gets to the message.
size_t posted_record_copies();

// Hands the record to the window with the registered message; nothing when there is no window.
void post_to_window(HlWindowHandle window, uint32_t message, const uint8_t *record,
                    intptr_t lparam);

}  // namespace handlink
