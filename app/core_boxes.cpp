// The message boxes the window shows for the core's questions and errors.
#include "error_notice.h"
#include "handlink.h"
#include "handset_text.h"
#include "question.h"

namespace zemlo::app {

namespace {

MessageBoxDetails confirm_box(std::string text, BoxOwner owner) {
    return {std::move(text),
            render(MessageId::CaptionConfirm),
            BoxIcon::Question,
            BoxButtons::OkCancel,
            owner,
            true};
}

}  // namespace

MessageBoxDetails question_box(const QuestionAsked &asked) {
    switch (asked.question) {
        case Question::ConfirmDownload:
            return confirm_box(render(MessageId::ConfirmDownload, {asked.file, asked.target}),
                               BoxOwner::MainWindow);
        case Question::ConfirmRename:
            // A handset name may carry controls; the box shows it without them.
            return confirm_box(render(MessageId::ConfirmRename,
                                      {printable_handset_text(asked.file), asked.target}),
                               BoxOwner::None);
        case Question::ConfirmDelete:
            return confirm_box(
                render(MessageId::ConfirmDelete, {printable_handset_text(asked.file)}),
                BoxOwner::None);
        case Question::ConfirmFormat:
            return confirm_box(render(MessageId::ConfirmFormat), BoxOwner::MainWindow);
        case Question::PreviewPicture:
            return confirm_box(render(MessageId::PreviewPicture), BoxOwner::None);
        case Question::PreviewMelody:
            return confirm_box(render(MessageId::PreviewMelody), BoxOwner::None);
        case Question::KeepFile:
            return confirm_box(render(MessageId::KeepFile), BoxOwner::None);
    }
    return confirm_box({}, BoxOwner::None);
}

bool OpenFailure::port_unavailable() const {
    return result == 2 || result == HL_OPEN_DEVICE_ERROR;
}

MessageBoxDetails error_box(const ErrorNotice &notice) {
    const bool link = notice.source == ErrorSource::Link;
    return {render(notice.message),
            render(link ? MessageId::CaptionError : MessageId::CaptionConfirm),
            BoxIcon::Error,
            BoxButtons::Ok,
            link ? BoxOwner::None : BoxOwner::MainWindow,
            true};
}

}  // namespace zemlo::app
