// The picture the user selected, as the picture panel keeps it: the decoded picture, the choice
// of how it is shown (display effect, frame, orientation, dither) and whether "tmp.bmp" holds the
// capture of what is shown. Loading or changing the choice clears the capture; the next drawing
// writes it again; a conversion uses the capture of the current selection only. Whether "tmp.bmp"
// is that capture is known in memory, never guessed from the file: a picture that fails to load, or
// a file left by an earlier run, is never sent.
#pragma once

#include <QImage>
#include <QString>
#include <optional>
#include <string>

#include "picture_choice.h"
#include "picture_conversion.h"
#include "picture_decoder.h"
#include "picture_geometry.h"

namespace zemlo::media {

class PictureSelection {
  public:
    explicit PictureSelection(PictureFolders folders) : folders_(std::move(folders)) {}

    // Loads the picture (the path as bytes, see decode_picture); false (and no picture) when it
    // cannot be decoded, with the reason in last_error().
    bool show_picture(const std::string &path);
    void set_effect(DisplayEffect effect);
    // The whole choice at once. The picture is decoded again when the choice needs it decoded
    // otherwise (turned or not, more pixels for a frame); false when that decoding fails, which
    // leaves no picture, as a failed load does.
    bool set_choice(const PictureChoice &choice);

    DisplayEffect effect() const { return choice_.effect; }
    const PictureChoice &choice() const { return choice_; }
    // Why the frame of the choice cannot be drawn on the picture, after a draw that drew nothing.
    FramingError framing_error() const { return framing_error_; }
    bool has_picture() const { return picture_.has_value(); }
    bool captured() const { return captured_; }
    // "tmp.bmp" holds the capture of the picture shown now.
    const std::optional<DecodedPicture> &picture() const { return picture_; }
    const std::string &last_error() const { return error_; }
    const PictureFolders &folders() const { return folders_; }

    // Draws the drawing area (all black without a picture) and, when the capture is stale,
    // writes "tmp.bmp". A failed write leaves the old capture and is reported in last_error().
    QImage draw();

    // Writes the handset picture file for the capture of the current selection (drawing it first
    // when it is stale); fails when no picture is shown or its capture could not be written. The
    // source path is not used: the picture side converts what it drew.
    ConversionOutcome convert_selection(const std::string &output_path,
                                        const std::string &source_path = {});

  private:
    // Decodes path_ as the choice needs; false (and no picture) when it cannot.
    bool decode_for_choice();

    PictureFolders folders_;
    std::string path_;
    std::optional<DecodedPicture> picture_;
    DecodeOptions decoded_with_;
    PictureChoice choice_;
    FramingError framing_error_ = FramingError::None;
    bool captured_ = false;
    bool capture_valid_ = false;
    std::string error_;
};

}  // namespace zemlo::media
