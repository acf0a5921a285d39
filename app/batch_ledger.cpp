#include "batch_ledger.h"

#include <algorithm>

#include "batch_download.h"

namespace zemlo::app {

void BatchLedger::begin(const BatchRequest &request) {
    files_.clear();
    for (const DownloadRequest &file : request.files) {
        files_.push_back({file.source, file.name + std::string(file_extension(file.type)), {}});
    }
}

void BatchLedger::started(size_t index) {
    if (index < files_.size()) {
        files_[index].started = true;
    }
}

void BatchLedger::ended(size_t index, std::string result, bool arrived) {
    // A call the worker queued before the batch was stopped may still come: it changes nothing.
    if (index < files_.size()) {
        files_[index].result = std::move(result);
        files_[index].ended = true;
        files_[index].arrived = arrived;
    }
}

std::string BatchLedger::result(size_t index) const {
    return index < files_.size() ? files_[index].result : std::string();
}

void BatchLedger::stop(const std::string &why, bool unknown) {
    for (Entry &file : files_) {
        if (file.ended) {
            continue;
        }
        file.ended = true;
        if (!file.started) {
            file.result = render(MessageId::BatchNotSent, {why});
        } else if (unknown) {
            file.result = render(MessageId::ResultUnknown);
        } else {
            file.result = render(MessageId::BatchUnfinished);
        }
    }
}

Message BatchLedger::close() {
    std::string lines;
    for (const Entry &file : files_) {
        lines += (lines.empty() ? "" : "\n") +
                 render(MessageId::BatchLine, {file.source, file.handset_name, file.result});
    }
    const auto arrived = static_cast<size_t>(
        std::count_if(files_.begin(), files_.end(), [](const Entry &f) { return f.arrived; }));
    Message summary{MessageId::BatchSummary,
                    {std::to_string(arrived), std::to_string(files_.size()), lines}};
    files_.clear();
    return summary;
}

}  // namespace zemlo::app
