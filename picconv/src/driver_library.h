// Finding, loading and unloading the display driver: one file per system (dlopen, LoadLibraryA).
#pragma once

#include <string>

namespace zemlo::picmill {

// Loads the driver that lies beside this library; nullptr, with the loader's reason in *why,
// when it cannot.
void *open_driver(std::string *why);
// The entry point called name, or nullptr.
void *driver_symbol(void *driver, const char *name);
void close_driver(void *driver);

}  // namespace zemlo::picmill
