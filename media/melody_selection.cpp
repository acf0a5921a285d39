#include "melody_selection.h"

namespace zemlo::media {

int MelodySelection::SetMelodySource(const std::string &path) {
    std::lock_guard lock(mutex_);
    source_ = path;
    return path.empty() ? 1 : 0;
}

int MelodySelection::ConvertSelection(const std::string &output, const std::string &source,
                                      const MelodyOptions &options) {
    {
        std::lock_guard lock(mutex_);
        source_ = source;
        output_ = output;
    }
    MelodyOptions refusing = options;
    refusing.refuse_without_notes = true;
    MelodyConversion result = convert_melody_file(source, output, refusing);
    const bool written = result.written;
    std::lock_guard lock(mutex_);
    last_ = std::move(result);
    return written ? 1 : 0;
}

std::string MelodySelection::source() const {
    std::lock_guard lock(mutex_);
    return source_;
}

std::string MelodySelection::output() const {
    std::lock_guard lock(mutex_);
    return output_;
}

MelodyConversion MelodySelection::last_conversion() const {
    std::lock_guard lock(mutex_);
    return last_;
}

}  // namespace zemlo::media
