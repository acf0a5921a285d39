// The drawing area for the user's choice (picture_choice.h): what the preview shows and what the
// capture holds. The window's panel and the command line both draw through picture_choice_area,
// so the same choice on the same file gives the same bytes in either.
#pragma once

#include <QImage>

#include "picture_choice.h"
#include "picture_decoder.h"

namespace zemlo::media {

// How the picture must be decoded for the choice: upright or as stored, and with enough pixels
// for the frame. picture is the picture decoded with the same orientation rule (any detail),
// which gives its upright size.
DecodeOptions decode_options_for(const PictureChoice &choice, const DecodedPicture &picture);

struct ChoiceArea {
    QImage area;  // the drawing area, 122 x 126; null when the frame does not fit the picture
    FramingError error = FramingError::None;
};

// The drawing area for the choice. The fit and stretch effects without a frame draw exactly as
// they always have.
ChoiceArea picture_choice_area(const DecodedPicture &picture, const PictureChoice &choice);

}  // namespace zemlo::media
