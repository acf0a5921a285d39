#include "library_lifetime.h"

namespace handlink {

// Unloading closes the link and joins the threads through the destructors: nothing to hold.
void hold_library() {}
void release_library() {}

}  // namespace handlink
