// Everything the user chooses about how a picture becomes the handset's: the display effect,
// a frame chosen by hand, whether the photo is turned upright by its orientation tag and whether
// the 16-bit colours are dithered. A plain value: the core carries it in a download's request,
// and picture_choice_area.h draws it.
#pragma once

#include "picture_framing.h"
#include "picture_geometry.h"

namespace zemlo::media {

struct PictureChoice {
    DisplayEffect effect = DisplayEffect::Fit;
    Framing framing;
    bool autorotate = true;
    bool dither = false;
    bool operator==(const PictureChoice &) const = default;
};

}  // namespace zemlo::media
