// The picture the user selected, as the picture panel keeps it: the decoded picture, the display
// effect and whether "tmp.bmp" holds the capture of what is shown. Loading or changing the
// effect clears the capture; the next drawing writes it again; a conversion uses the capture of
// the current selection only. Whether "tmp.bmp" is that capture is known in memory, never guessed
// from the file: a picture that fails to load, or a file left by an earlier run, is never sent.
#pragma once

#include <QImage>
#include <QString>
#include <optional>
#include <string>

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

    DisplayEffect effect() const { return effect_; }
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
    PictureFolders folders_;
    std::optional<DecodedPicture> picture_;
    DisplayEffect effect_ = DisplayEffect::Fit;
    bool captured_ = false;
    bool capture_valid_ = false;
    std::string error_;
};

}  // namespace zemlo::media
