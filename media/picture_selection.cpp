#include "picture_selection.h"

#include "cut_off_output.h"
#include "picture_capture.h"

namespace zemlo::media {

void PictureSelection::forget_capture() {
    captured_ = false;
    capture_valid_ = false;
    framing_error_ = FramingError::None;
}

bool PictureSelection::show_picture(const std::string &path) {
    begin_show(path);
    finish_decoding();
    return picture_.has_value();
}

std::optional<DecodeRequest> PictureSelection::begin_show(const std::string &path) {
    path_ = path;
    picture_.reset();
    error_.clear();
    forget_capture();
    if (!folders_.work_dir.empty()) {
        // The capture on disk belongs to the picture before: it must not outlive its selection.
        discard_cut_off_output(capture_path(folders_));
    }
    // The orientation rule first: it decides the upright size, which the frame's needs count in.
    DecodeOptions first;
    first.autorotate = choice_.autorotate;
    wanted_ = path_.empty() ? std::nullopt : std::optional<DecodeRequest>({path_, first});
    return wanted_;
}

bool PictureSelection::take_decoded(const DecodeRequest &request, DecodeResult result) {
    if (!wanted_ || request != *wanted_) {
        return false;
    }
    wanted_.reset();
    forget_capture();
    error_ = std::move(result.error);
    picture_ = std::move(result.picture);
    decoded_with_ = request.options;
    if (!picture_) {
        if (!folders_.work_dir.empty()) {
            discard_cut_off_output(capture_path(folders_));
        }
        return true;
    }
    const DecodeOptions needed = decode_options_for(choice_, *picture_);
    if (needed != decoded_with_) {
        wanted_ = DecodeRequest{path_, needed};
    }
    return true;
}

void PictureSelection::finish_decoding() {
    while (wanted_) {
        const DecodeRequest request = *wanted_;
        take_decoded(request, decode_picture(request.path, request.options));
    }
}

void PictureSelection::set_effect(DisplayEffect effect) {
    PictureChoice choice = choice_;
    choice.effect = effect;
    set_choice(choice);
}

bool PictureSelection::set_choice(const PictureChoice &choice) {
    set_choice_deferred(choice);
    finish_decoding();
    return picture_.has_value() || path_.empty();
}

std::optional<DecodeRequest> PictureSelection::set_choice_deferred(const PictureChoice &choice) {
    const bool turned = choice.autorotate != choice_.autorotate;
    choice_ = choice;
    forget_capture();
    if (path_.empty()) {
        return std::nullopt;
    }
    if (turned || !picture_) {
        // The upright size changes with the orientation: the picture is read again from the
        // start, as a new load is (also when the load under way was for the other orientation).
        if (picture_ || wanted_) {
            picture_.reset();
            DecodeOptions first;
            first.autorotate = choice_.autorotate;
            wanted_ = DecodeRequest{path_, first};
        }
        return wanted_;
    }
    const DecodeOptions needed = decode_options_for(choice_, *picture_);
    if (needed == decoded_with_) {
        wanted_.reset();
    } else {
        wanted_ = DecodeRequest{path_, needed};
    }
    return wanted_;
}

QImage PictureSelection::draw() {
    const auto black = [] {
        QImage empty(kAreaWidth, kAreaHeight, QImage::Format_RGB32);
        empty.fill(Qt::black);
        return empty;
    };
    if (!picture_) {
        return black();
    }
    ChoiceArea drawn = picture_choice_area(*picture_, choice_);
    framing_error_ = drawn.error;
    if (drawn.area.isNull()) {
        // A frame outside the picture shows nothing and captures nothing.
        captured_ = true;
        capture_valid_ = false;
        return black();
    }
    QImage area = std::move(drawn.area);
    if (!captured_) {
        std::string error;
        if (folders_.work_dir.empty()) {
            error_ = "no work folder for the capture";
        } else if (!write_capture(area, capture_path(folders_), &error)) {
            error_ = error;
        } else {
            capture_valid_ = true;
        }
        // As on screen, a failed write is not retried at every paint.
        captured_ = true;
    }
    return area;
}

ConversionOutcome PictureSelection::convert_selection(const std::string &output_path,
                                                      const std::string & /*source_path*/) {
    // A better decode for the frame may still be on its way: the conversion waits for nobody and
    // decodes it now, so that it converts what the choice gives, not the stand-in on show.
    finish_decoding();
    if (!picture_) {
        return {false, error_.empty() ? "no picture is selected" : error_};
    }
    if (!captured_) {
        draw();  // not painted yet: the capture is made from the same drawing
    }
    if (framing_error_ != FramingError::None) {
        return {false, "the frame lies outside the picture"};
    }
    if (!capture_valid_) {
        return {false, error_.empty() ? "the capture of the picture was not written" : error_};
    }
    return convert_capture(output_path, folders_);
}

}  // namespace zemlo::media
