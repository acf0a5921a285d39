// The operations the core runs on its worker, one at a time.
#pragma once

#include <cstdint>

namespace zemlo::app {

enum class Operation : int32_t {
    None = 0,
    Connect = 1,
    Download = 2,
    Rename = 3,
    Delete = 4,
    Disconnect = 5,
    Format = 6,
    DownloadBatch = 7,
};

}  // namespace zemlo::app
