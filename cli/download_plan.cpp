#include "download_plan.h"

#include "zemlo/handset_records.h"
#include "zemlo/listing_text.h"

namespace zemlo::cli {

namespace {

constexpr int64_t kLargestFile = 65535;  // one part: the download refuses a larger file

}  // namespace

std::vector<PlanStep> plan_downloads(app::HandsetFileTable table, int64_t free_space,
                                     const std::vector<PlannedFile> &files) {
    std::vector<PlanStep> steps;
    for (const PlannedFile &file : files) {
        PlanStep step;
        const std::string key = listing::entry_key(file.name);
        const size_t limit =
            file.type == app::FileType::Picture ? records::kMaxPictures : records::kMaxMelodies;
        step.replaces = table.find(key, file.type) != -1;
        step.takes =
            static_cast<int64_t>(records::allocation_size(static_cast<uint64_t>(file.length)));
        step.available = table.available(key, file.type, free_space);
        if (static_cast<size_t>(table.count(file.type)) >= limit && !step.replaces) {
            step.refusal = app::MessageId::TooManyFiles;
        } else if (file.type == app::FileType::Melody &&
                   file.length > static_cast<int64_t>(records::kMaxMelodyBytes)) {
            step.refusal = app::MessageId::MelodyTooLarge;
        } else if (file.length > kLargestFile) {
            step.refusal = app::MessageId::FileTooLarge;
        } else if (!table.room(key, file.type, file.length, free_space)) {
            step.refusal = app::MessageId::NoSpace;
        } else {
            // As the listing enters a file the handset kept.
            table.store(
                {file.type, listing::entry_text(file.name, static_cast<uint64_t>(file.length))},
                &free_space);
            free_space -= step.takes;
        }
        step.free_after = free_space;
        steps.push_back(step);
    }
    return steps;
}

}  // namespace zemlo::cli
