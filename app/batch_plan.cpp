#include "batch_plan.h"

#include <cctype>

#include "file_name_rule.h"

namespace zemlo::app {

namespace {

std::string folded(const std::string &name) {
    std::string out = name;
    for (char &c : out) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return out;
}

}  // namespace

std::string name_from_file(std::string name) {
    // Each round removes at least one character: the bound is the name as given, not as it shrinks
    // (a name of several-byte characters would otherwise run out of rounds before it passes).
    const size_t rounds = name.size();
    for (size_t round = 0; round <= rounds; ++round) {
        const NameCheck check = check_file_name(name);
        if (check.valid) {
            return name;
        }
        name = check.corrected;
    }
    return std::string();
}

std::optional<std::pair<size_t, size_t>> first_clash(const std::vector<NamedFile> &files) {
    for (size_t i = 0; i < files.size(); ++i) {
        for (size_t j = 0; j < i; ++j) {
            if (files[i].type == files[j].type && folded(files[i].name) == folded(files[j].name)) {
                return std::pair{j, i};
            }
        }
    }
    return std::nullopt;
}

bool only_this_file(MessageId result) {
    switch (result) {
        case MessageId::ConvertPictureFailed:
        case MessageId::ConvertMelodyFailed:
        case MessageId::MelodyTooLarge:
        case MessageId::FileTooLarge:
        case MessageId::OpenFileFailed:
        case MessageId::FileInUse:
            return true;
        default:
            return false;
    }
}

}  // namespace zemlo::app
