#include "notice_boxes.h"

#include "box_captions.h"
#include "messages.h"

namespace zemlo::shell {

namespace {

// The download and the format are asked over the main window; the others stand on their own.
app::BoxOwner question_owner(app::Question question) {
    switch (question) {
        case app::Question::ConfirmDownload:
        case app::Question::ConfirmBatch:
        case app::Question::KeepAll:
        case app::Question::ConfirmFormat:
            return app::BoxOwner::MainWindow;
        case app::Question::ConfirmRename:
        case app::Question::ConfirmDelete:
        case app::Question::PreviewPicture:
        case app::Question::PreviewMelody:
        case app::Question::KeepFile:
            break;
    }
    return app::BoxOwner::None;
}

}  // namespace

app::MessageBoxDetails question_box(const app::QuestionAsked &asked) {
    return {app::question_text(asked),      app::render(app::MessageId::CaptionConfirm),
            app::BoxIcon::Question,         app::BoxButtons::OkCancel,
            question_owner(asked.question), true};
}

app::MessageBoxDetails error_box(const app::ErrorNotice &notice) {
    // The window's own errors belong to it; the link's stand on their own.
    return {
        app::render(notice.message),
        // "确认" in Chinese as before; in English "Error", not "Confirm".
        notice.source == app::ErrorSource::Link ? app::render(app::error_caption(notice.source))
                                                : error_box_caption(),
        app::BoxIcon::Error, app::BoxButtons::Ok,
        notice.source == app::ErrorSource::Link ? app::BoxOwner::None : app::BoxOwner::MainWindow,
        true};
}

}  // namespace zemlo::shell
