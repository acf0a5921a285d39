// The melody side's selection: the current melody (what the player plays) and the last
// conversion. The melody panel wraps it; the conversion runs on the download worker while the
// panel reads the source on the window thread, so both are guarded.
#pragma once

#include <mutex>
#include <string>

#include "melody_conversion.h"

namespace zemlo::media {

class MelodySelection {
  public:
    // Stores path as the current melody; nonzero when the path is empty.
    int SetMelodySource(const std::string &path);

    // Remembers source as the current melody, converts it into output and returns nonzero when
    // the handset melody file was written. A melody that strikes no note is refused (nothing
    // written, last_conversion().without_notes): as a ring tone it would be silent.
    int ConvertSelection(const std::string &output, const std::string &source,
                         const MelodyOptions &options = {});

    std::string source() const;
    std::string output() const;
    MelodyConversion last_conversion() const;

  private:
    mutable std::mutex mutex_;
    std::string source_;
    std::string output_;
    MelodyConversion last_;
};

}  // namespace zemlo::media
