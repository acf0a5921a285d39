#pragma once

namespace zemlo::resources {

// Registers the compiled-in artwork with Qt's resource system. A static library's resources are
// not registered by themselves; every loader calls this first. Cheap after the first call.
void ensure_loaded();

}  // namespace zemlo::resources
