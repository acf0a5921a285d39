#include "zemlo_resources.h"

#include <QtGlobal>

#include <mutex>

// Q_INIT_RESOURCE must be used outside any namespace.
static void registerZemloResources() {
    Q_INIT_RESOURCE(zemlo);
}

namespace zemlo::resources {

void ensure_loaded() {
    static std::once_flag once;
    std::call_once(once, registerZemloResources);
}

}  // namespace zemlo::resources
