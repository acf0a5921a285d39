// The download: convert the chosen PC file, check the limits, announce it, send it in 512-byte
// packets, and ask whether the handset should preview it and keep it.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "handset_entry.h"
#include "operation_context.h"
#include "sent_file.h"

namespace zemlo::app {

inline constexpr const char *kTempDownloadFile = "tmp.dwn";

struct DownloadRequest {
    int32_t type = 0;       // picture or melody
    std::string source;     // the PC file
    std::string name;       // the handset name, without its extension
    std::string extension;  // the handset folder's extension
    std::string folder;     // the handset folder
};

// What the download reads of the window's state and changes in it, each run on the window
// thread.
struct DownloadWindow {
    // The handset folder has no room for one more file of this name (entry key "name.ext^").
    std::function<bool(const std::string &entry_key)> folder_full;
    // Converts source into the handset's format at out; false when it could not.
    std::function<bool(const std::string &out, const std::string &source)> convert;
    // The handset has room for length bytes under this name.
    std::function<bool(const std::string &entry_key, int64_t length)> room;
    // A transfer that failed half-way: not connected any more (buttons, then the table).
    std::function<void()> disconnected;
    std::function<void()> forget_files;
    // The handset kept the file of length bytes.
    std::function<void(int64_t length)> saved;
    // The handset did not confirm an action: its listing is read again (worker thread).
    std::function<void()> relist;
};

void download_to_handset(OperationContext &ctx, const DownloadRequest &request, SentFile &file,
                         const DownloadWindow &window);

}  // namespace zemlo::app
