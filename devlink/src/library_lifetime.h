// The library's single instance and how it ends, which differs between systems: one file each.
// library() (library.h) and frame_link() (frame_link.h) are defined in library_lifetime_*.cpp, the
// hold of a running worker in library_hold_*.cpp.
//
// Elsewhere the instance is a static object: unloading the library destroys it, which closes the
// link and joins its threads. Windows cannot join a thread while it unloads a library (the thread's
// end waits for the loader, which the unloading holds), nor find the threads alive when the
// process ends (they are gone, the locks they held still taken). So there the library stays loaded
// while its threads run, and the instance is destroyed only when the library is unloaded with no
// thread running; at the end of the process it is left to the system.
#pragma once

namespace handlink {

// Called when the device worker starts and once it has been joined.
void hold_library();
void release_library();

}  // namespace handlink
