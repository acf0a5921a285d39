// What an operation tells while it runs (a report for the wait window, with where a transfer
// stands) and how it ended (its outcome).
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "error_notice.h"
#include "messages.h"
#include "operation.h"

namespace zemlo::app {

enum class ReportLevel : int32_t {
    Progress = 0,  // show with the text and step the bar; an empty text hides
    Finished = 1,  // hide; the text goes to the status line
    Failed = 2,    // error box, then hide
    Notice = 3,    // information box, then hide
};

enum class Stage {
    None,
    Connecting,
    Listing,
    Converting,
    Announcing,  // the download is announced; packets and total_bytes say what follows
    Sending,     // packet of packets is on its way; bytes were sent before it
    Previewing,
    Saving,
    Discarding,
    Renaming,
    Deleting,
    Formatting,
    Restarting,
    Disconnecting,
};

struct Progress {
    Stage stage = Stage::None;
    uint32_t packet = 0;
    uint32_t packets = 0;
    uint64_t bytes = 0;
    uint64_t total_bytes = 0;

    bool operator==(const Progress &) const = default;
};

struct Report {
    ReportLevel level = ReportLevel::Progress;
    Message message;     // none: a progress report that hides the wait window
    uint16_t range = 0;  // the wait window's step count, given by an operation's first report
    Progress progress;

    std::string text() const { return render(message); }
};

// How an operation ended. result is the message that ended it (its key says which success or
// which failure), or None when it ended without one (cancelled, or the link could not be used:
// then open_failure may say why).
struct Outcome {
    Operation operation = Operation::None;
    bool succeeded = false;
    MessageId result = MessageId::None;
    std::string file;     // a download's PC file, a rename's or delete's handset file
    uint32_t packet = 0;  // the download packet that failed
    int32_t status = 0;   // the library's result of the last request
    std::optional<OpenFailure> open_failure;
};

}  // namespace zemlo::app
