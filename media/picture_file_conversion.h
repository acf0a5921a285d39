// One picture file converted into the handset picture file with a choice, start to end, in a run
// folder of its own: what the command line's download does, and the window for a file of a
// download of several that is not the one on show.
#pragma once

#include <string>

#include "picture_choice.h"
#include "picture_framing.h"

namespace zemlo::media {

struct FileConversion {
    bool ok = false;
    std::string error;                          // one line saying why, when not ok
    FramingError framing = FramingError::None;  // the frame could not be placed on the picture
    PictureSize upright;                        // the picture's upright size, once decoded
};

FileConversion convert_picture_file(const std::string &source, const std::string &output,
                                    const PictureChoice &choice);

}  // namespace zemlo::media
