// The questions the core asks the user, each with what it is about. The window shows each as a
// message box; the command line answers each from the command's flags.
#pragma once

#include <string>

#include "message_box_details.h"

namespace zemlo::app {

enum class Question {
    ConfirmDownload,  // file: the PC file; target: the handset name with its extension
    ConfirmRename,    // file: the handset file; target: its new name
    ConfirmDelete,    // file: the handset file
    ConfirmFormat,
    PreviewPicture,  // after a picture's transfer: show it on the handset?
    PreviewMelody,   // after a melody's transfer: play it on the handset?
    KeepFile,        // after the transfer: keep the file on the handset?
    ConfirmBatch,    // file: how many PC files; target: the handset folder
    KeepAll,         // file: how many; before several files: keep them all without a preview?
};

struct QuestionAsked {
    Question question = Question::ConfirmFormat;
    std::string file;
    std::string target;

    bool operator==(const QuestionAsked &) const = default;
};

// The question as the user reads it (its caption is "确认").
std::string question_text(const QuestionAsked &asked);

}  // namespace zemlo::app
