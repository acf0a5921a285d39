#include "picture_options.h"

#include <algorithm>
#include <charconv>
#include <vector>

#include "messages.h"

namespace zemlo::cli {

namespace {

using app::MessageId;
using app::render;

// The comma-separated numbers of an option's value, exactly count of them, each parsed whole;
// nullopt when the value is anything else.
template <typename Number>
std::optional<std::vector<Number>> numbers(const std::string &text, size_t count) {
    std::vector<Number> out;
    size_t start = 0;
    for (;;) {
        const size_t comma = std::min(text.find(',', start), text.size());
        Number value{};
        const char *first = text.data() + start;
        const char *last = text.data() + comma;
        const auto [stop, ec] = std::from_chars(first, last, value);
        if (first == last || ec != std::errc() || stop != last || out.size() == count) {
            return std::nullopt;
        }
        out.push_back(value);
        if (comma == text.size()) {
            break;
        }
        start = comma + 1;
    }
    if (out.size() != count) {
        return std::nullopt;
    }
    return out;
}

std::string number_text(double value) {
    char buffer[32];
    const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
    return ec == std::errc() ? std::string(buffer, end) : std::string();
}

}  // namespace

const std::set<std::string> &picture_valued_options() {
    static const std::set<std::string> options{"--effect", "--crop", "--zoom", "--center"};
    return options;
}

const std::set<std::string> &picture_flag_options() {
    static const std::set<std::string> options{"--dither", "--no-autorotate"};
    return options;
}

std::optional<media::PictureChoice> picture_choice_from(const ParsedArgs &args,
                                                        std::string *error) {
    media::PictureChoice choice;
    if (const auto name = args.value("--effect")) {
        if (*name == "fit") {
            choice.effect = media::DisplayEffect::Fit;
        } else if (*name == "stretch") {
            choice.effect = media::DisplayEffect::Stretch;
        } else if (*name == "cover") {
            choice.effect = media::DisplayEffect::Cover;
        } else {
            *error = render(MessageId::PictureEffectChoice);
            return std::nullopt;
        }
    }
    const auto crop = args.value("--crop");
    const auto zoom = args.value("--zoom");
    const auto center = args.value("--center");
    if (crop && (zoom || center)) {
        *error = render(MessageId::PictureCropWithZoom);
        return std::nullopt;
    }
    if (crop) {
        const auto v = numbers<int>(*crop, 4);
        if (!v || (*v)[0] < 0 || (*v)[1] < 0 || (*v)[2] <= 0 || (*v)[3] <= 0) {
            *error = render(MessageId::PictureCropFormat);
            return std::nullopt;
        }
        choice.framing.crop = media::PixelRect{(*v)[0], (*v)[1], (*v)[2], (*v)[3]};
    }
    if (zoom) {
        const auto v = numbers<double>(*zoom, 1);
        if (!v || !((*v)[0] >= media::kMinZoom && (*v)[0] <= media::kMaxZoom)) {
            *error = render(MessageId::PictureZoomRange,
                            {number_text(media::kMinZoom), number_text(media::kMaxZoom)});
            return std::nullopt;
        }
        choice.framing.zoom = (*v)[0];
    }
    if (center) {
        const auto v = numbers<double>(*center, 2);
        if (!v) {
            *error = render(MessageId::PictureCenterFormat);
            return std::nullopt;
        }
        choice.framing.center = media::SourcePoint{(*v)[0], (*v)[1]};
    }
    choice.dither = args.flag("--dither");
    choice.autorotate = !args.flag("--no-autorotate");
    return choice;
}

std::string framing_refusal(media::FramingError error, media::PictureSize upright) {
    if (error == media::FramingError::ZoomOutOfRange) {
        return render(MessageId::PictureZoomRange,
                      {number_text(media::kMinZoom), number_text(media::kMaxZoom)});
    }
    return render(MessageId::PictureFrameOutside,
                  {std::to_string(upright.width), std::to_string(upright.height)});
}

}  // namespace zemlo::cli
