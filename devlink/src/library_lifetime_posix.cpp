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

}  // namespace handlink
