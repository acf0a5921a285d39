#include "picture_choice_area.h"

#include <algorithm>

#include "picture_drawing.h"
#include "rgb565_dither.h"

namespace zemlo::media {

namespace {

bool drawn_as_always(const PictureChoice &choice) {
    return choice.framing.empty() && choice.effect != DisplayEffect::Cover;
}

FramingResult place(const DecodedPicture &picture, const PictureChoice &choice) {
    const NaturalSize natural = picture.natural();
    return place_frame(choice.effect, choice.framing, picture.upright_size(), natural.width,
                       natural.height);
}

}  // namespace

DecodeOptions decode_options_for(const PictureChoice &choice, const DecodedPicture &picture) {
    DecodeOptions options;
    options.autorotate = choice.autorotate;
    if (drawn_as_always(choice) || picture.is_vector()) {
        return options;  // a metafile is drawn at any size from the same decoding
    }
    const FramingResult placed = place(picture, choice);
    if (placed.placement) {
        const double scale = std::max(placed.placement->scale_x, placed.placement->scale_y);
        options.detail = detail_for_scale(scale, picture.upright_size());
    }
    return options;
}

ChoiceArea picture_choice_area(const DecodedPicture &picture, const PictureChoice &choice) {
    ChoiceArea result;
    PixelRect region;
    if (drawn_as_always(choice)) {
        result.area = draw_picture_area(picture, choice.effect);
        const NaturalSize natural = picture.natural();
        region = picture_rect(choice.effect, natural.width, natural.height);
        region.left -= kAreaInset;
        region.top -= kAreaInset;
    } else {
        const FramingResult placed = place(picture, choice);
        if (!placed.placement) {
            result.error = placed.error;
            return result;
        }
        result.area = draw_framed_area(picture, *placed.placement);
        region = placed.placement->target;
    }
    if (choice.dither) {
        result.area = dither_to_rgb565(result.area, region);
    }
    return result;
}

}  // namespace zemlo::media
