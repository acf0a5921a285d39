#include "question.h"

#include "handset_text.h"
#include "messages.h"

namespace zemlo::app {

std::string question_text(const QuestionAsked &asked) {
    switch (asked.question) {
        case Question::ConfirmDownload:
            return render(MessageId::ConfirmDownload, {asked.file, asked.target});
        case Question::ConfirmRename:
            // A handset name may carry controls; the question shows it without them.
            return render(MessageId::ConfirmRename,
                          {printable_handset_text(asked.file), asked.target});
        case Question::ConfirmDelete:
            return render(MessageId::ConfirmDelete, {printable_handset_text(asked.file)});
        case Question::ConfirmFormat:
            return render(MessageId::ConfirmFormat);
        case Question::PreviewPicture:
            return render(MessageId::PreviewPicture);
        case Question::PreviewMelody:
            return render(MessageId::PreviewMelody);
        case Question::KeepFile:
            return render(MessageId::KeepFile);
        case Question::ConfirmBatch:
            return render(MessageId::ConfirmBatch, {asked.file, asked.target});
        case Question::KeepAll:
            return render(MessageId::KeepAll, {asked.file});
    }
    return {};
}

}  // namespace zemlo::app
