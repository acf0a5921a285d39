#include "picture_selection.h"

#include "cut_off_output.h"
#include "picture_capture.h"

namespace zemlo::media {

bool PictureSelection::show_picture(const std::string &path) {
    path_ = path;
    picture_.reset();
    return decode_for_choice();
}

bool PictureSelection::decode_for_choice() {
    captured_ = false;
    capture_valid_ = false;
    framing_error_ = FramingError::None;
    // The orientation rule first: it decides the upright size, which the frame's needs count in.
    DecodeOptions wanted;
    wanted.autorotate = choice_.autorotate;
    if (!picture_ || decoded_with_.autorotate != wanted.autorotate) {
        DecodeResult result = decode_picture(path_, wanted);
        error_ = result.error;
        picture_ = std::move(result.picture);
        decoded_with_ = wanted;
    }
    if (picture_) {
        wanted = decode_options_for(choice_, *picture_);
        if (wanted != decoded_with_) {
            DecodeResult result = decode_picture(path_, wanted);
            error_ = result.error;
            picture_ = std::move(result.picture);
            decoded_with_ = wanted;
        }
    }
    if (!picture_ && !folders_.work_dir.empty()) {
        // The capture on disk belongs to the picture before: it must not outlive its selection.
        discard_cut_off_output(capture_path(folders_));
    }
    return picture_.has_value();
}

void PictureSelection::set_effect(DisplayEffect effect) {
    PictureChoice choice = choice_;
    choice.effect = effect;
    set_choice(choice);
}

bool PictureSelection::set_choice(const PictureChoice &choice) {
    choice_ = choice;
    captured_ = false;
    capture_valid_ = false;
    framing_error_ = FramingError::None;
    if (!picture_ || (decoded_with_.autorotate == choice.autorotate &&
                      decode_options_for(choice, *picture_) == decoded_with_)) {
        return picture_.has_value() || path_.empty();
    }
    return decode_for_choice();
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
