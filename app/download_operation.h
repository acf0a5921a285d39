// The download: convert the chosen PC file and check it against the handset's limits, announce it,
// send it in 512-byte packets, and ask whether the handset should preview it and keep it.
#pragma once

#include <string>

#include "conversion_choice.h"
#include "handset_entry.h"
#include "operation_context.h"
#include "sent_file.h"

namespace zemlo::app {

inline constexpr const char *kTempDownloadFile = "tmp.dwn";

struct DownloadRequest {
    FileType type = FileType::Picture;
    std::string source;  // the PC file
    std::string name;    // the handset name, without its extension
    ConversionChoice choice;
};

// Downloads the file; what the handset kept is entered in ctx.listing. file is the converted file
// while it is sent, which a handset event may close under the worker.
void download_to_handset(OperationContext &ctx, const DownloadRequest &request, SentFile &file);

}  // namespace zemlo::app
