// The picture options of the commands that convert a picture (convert picture; download takes
// the same): --effect fit|stretch|cover, --crop X,Y,W,H, --zoom Z, --center X,Y, --dither and
// --no-autorotate, read into the choice the window's panel makes with its controls.
#pragma once

#include <optional>
#include <set>
#include <string>

#include "cli_args.h"
#include "picture_choice.h"

namespace zemlo::cli {

// The options above that take a value, and those that do not.
const std::set<std::string> &picture_valued_options();
const std::set<std::string> &picture_flag_options();

// The choice the options make; nullopt with the reason (in the user's language) when a value is
// not one the option takes. Whether a frame lies inside the picture is known only once the
// picture is decoded (see framing_refusal).
std::optional<media::PictureChoice> picture_choice_from(const ParsedArgs &args, std::string *error);

// The reason, in the user's language, that the frame could not be drawn on this picture.
std::string framing_refusal(media::FramingError error, media::PictureSize upright);

}  // namespace zemlo::cli
