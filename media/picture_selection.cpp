#include "picture_selection.h"

#include "cut_off_output.h"
#include "picture_capture.h"
#include "picture_drawing.h"

namespace zemlo::media {

bool PictureSelection::show_picture(const std::string &path) {
    captured_ = false;
    capture_valid_ = false;
    picture_.reset();
    DecodeResult result = decode_picture(path);
    error_ = result.error;
    picture_ = std::move(result.picture);
    if (!picture_ && !folders_.work_dir.empty()) {
        // The capture on disk belongs to the picture before: it must not outlive its selection.
        discard_cut_off_output(capture_path(folders_));
    }
    return picture_.has_value();
}

void PictureSelection::set_effect(DisplayEffect effect) {
    effect_ = effect;
    captured_ = false;
    capture_valid_ = false;
}

QImage PictureSelection::draw() {
    if (!picture_) {
        QImage empty(kAreaWidth, kAreaHeight, QImage::Format_RGB32);
        empty.fill(Qt::black);
        return empty;
    }
    QImage area = draw_picture_area(*picture_, effect_);
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
    if (!capture_valid_) {
        return {false, error_.empty() ? "the capture of the picture was not written" : error_};
    }
    return convert_capture(output_path, folders_);
}

}  // namespace zemlo::media
