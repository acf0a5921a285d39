#include "error_notice.h"

#include "handlink.h"

namespace zemlo::app {

bool OpenFailure::port_unavailable() const {
    return result == 2 || result == HL_OPEN_DEVICE_ERROR;
}

MessageId error_caption(ErrorSource source) {
    return source == ErrorSource::Link ? MessageId::CaptionError : MessageId::CaptionConfirm;
}

}  // namespace zemlo::app
