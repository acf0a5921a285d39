#include "box_captions.h"

#include <QCoreApplication>

namespace zemlo::shell {

// The Chinese caption is the same for each; the disambiguation tells the catalogue's entries
// apart, so that each gets its own English.
std::string error_box_caption() {
    return QCoreApplication::translate("BoxCaption", "确认", "an error").toStdString();
}

std::string notice_box_caption(app::MessageId id) {
    switch (id) {
        case app::MessageId::FormatDone:
            return QCoreApplication::translate("BoxCaption", "确认", "the handset was formatted")
                .toStdString();
        default:
            return QCoreApplication::translate("BoxCaption", "确认", "an operation has ended")
                .toStdString();
    }
}

}  // namespace zemlo::shell
