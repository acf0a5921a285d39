// How a download converts its file, as the user chose it: for a picture, the display effect, the
// frame, the orientation and the dither (the panel's controls, or the command line's options);
// for a melody, whether one over the handset's limit is cut to fit. The core reads it when the
// download starts and hands it to the conversion, so a choice changed meanwhile does not change
// what is sent.
#pragma once

#include "picture_choice.h"

namespace zemlo::app {

struct ConversionChoice {
    media::PictureChoice picture;
    bool fit_melody = false;
    bool operator==(const ConversionChoice &) const = default;
};

}  // namespace zemlo::app
