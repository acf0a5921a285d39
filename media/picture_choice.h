// Everything the user chooses about how a picture becomes the handset's: the display effect, a
// frame chosen by hand, whether the photo is turned upright by its orientation tag and whether
// the 16-bit colours are dithered. The window's panel and the command line both draw through
// picture_choice_area, so the same choice on the same file gives the same bytes in either.
#pragma once

#include <QImage>
#include <optional>

#include "picture_decoder.h"
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

// How the picture must be decoded for the choice: upright or as stored, and with enough pixels
// for the frame. picture is the picture decoded with the same orientation rule (any detail),
// which gives its upright size.
DecodeOptions decode_options_for(const PictureChoice &choice, const DecodedPicture &picture);

struct ChoiceArea {
    QImage area;  // the drawing area, 122 x 126; null when the frame does not fit the picture
    FramingError error = FramingError::None;
};

// The drawing area for the choice: what the preview shows and what the capture holds. The fit
// and stretch effects without a frame draw exactly as they always have.
ChoiceArea picture_choice_area(const DecodedPicture &picture, const PictureChoice &choice);

}  // namespace zemlo::media
