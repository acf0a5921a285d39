// The drawing area as the handset will show it: 122 x 126 pixels of black with the picture
// drawn, smoothly scaled, into the rectangle its display effect gives, or the part a frame
// chooses. Transparent parts of the picture leave the black showing.
#pragma once

#include <QImage>

#include "picture_decoder.h"
#include "picture_framing.h"
#include "picture_geometry.h"

namespace zemlo::media {

// The drawing area alone, in its own coordinates (the area's top-left is pixel 0, 0).
QImage draw_picture_area(const DecodedPicture &picture, DisplayEffect effect);

// The same with a frame placed by hand (see place_frame); a placement with an empty target
// leaves the area black.
QImage draw_framed_area(const DecodedPicture &picture, const FramePlacement &placement);

}  // namespace zemlo::media
