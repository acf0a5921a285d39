#include "frame_link.h"
#include "library.h"
#include "library_lifetime.h"

namespace handlink {

// Constructed in this order and destroyed in the reverse one, so the link outlives the library
// state that uses it.
FrameLink &frame_link() {
    static FrameLink link;
    return link;
}

Library &library() {
    static Library instance;
    return instance;
}

// Unloading closes the link and joins the threads through the destructors.
void hold_library() {}
void release_library() {}

}  // namespace handlink
