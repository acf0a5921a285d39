// An error the core shows outside an operation's reports: a command refused before it starts, a
// name the handset would not take, the library or the port that cannot be used.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "messages.h"

namespace zemlo::app {

// Why the link's port did not open: the library's result of OpenComm and its explanation.
struct OpenFailure {
    int32_t result = 0;
    std::string reason;

    // The device itself could not be opened (rather than a bad number or a busy port).
    bool port_unavailable() const;
    bool operator==(const OpenFailure &) const = default;
};

enum class ErrorSource {
    Window,  // a command of the window refused
    Link,    // the link to the handset could not be set up
};

struct ErrorNotice {
    Message message;
    ErrorSource source = ErrorSource::Window;
    std::optional<OpenFailure> open_failure;

    bool operator==(const ErrorNotice &) const = default;
};

// The caption an error is shown under: "错误" for the link's, "确认" for the window's own.
MessageId error_caption(ErrorSource source);

}  // namespace zemlo::app
