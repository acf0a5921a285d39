// The picture the user selected, as the picture panel keeps it: the decoded picture, the choice
// of how it is shown (display effect, frame, orientation, dither) and whether "tmp.bmp" holds the
// capture of what is shown. Loading or changing the choice clears the capture; the next drawing
// writes it again; a conversion uses the capture of the current selection only. Whether "tmp.bmp"
// is that capture is known in memory, never guessed from the file: a picture that fails to load, or
// a file left by an earlier run, is never sent.
//
// The decoding may be left to the caller (the window decodes on a thread of its own): begin_show
// and set_choice_deferred say which decode they want, take_decoded hands its result in, and a
// result that is no longer wanted is refused. Until a better decode for a frame arrives, the
// picture decoded before is drawn; a conversion first decodes what is still wanted, so it
// converts exactly what the same choice gives anywhere else.
#pragma once

#include <QImage>
#include <QString>
#include <optional>
#include <string>

#include "picture_choice_area.h"
#include "picture_conversion.h"
#include "picture_decode_worker.h"
#include "picture_decoder.h"
#include "picture_geometry.h"

namespace zemlo::media {

class PictureSelection {
  public:
    explicit PictureSelection(PictureFolders folders) : folders_(std::move(folders)) {}

    // Loads the picture (the path as bytes, see decode_picture); false (and no picture) when it
    // cannot be decoded, with the reason in last_error().
    bool show_picture(const std::string &path);
    // The same without decoding: the picture before and its capture go at once, and the decode
    // the path needs is returned (nothing for an empty path).
    std::optional<DecodeRequest> begin_show(const std::string &path);
    // The choice, without decoding; the decode it needs, if any (the picture decoded before is
    // drawn meanwhile, unless the orientation changed).
    std::optional<DecodeRequest> set_choice_deferred(const PictureChoice &choice);
    // A decode's result; false (and nothing changed) when it is not the decode wanted now. A frame
    // that needs more pixels than the first decode gives wants another one (wanted()).
    bool take_decoded(const DecodeRequest &request, DecodeResult result);
    // The decode wanted and not yet taken in.
    const std::optional<DecodeRequest> &wanted() const { return wanted_; }
    // Decodes, here and now, what is still wanted.
    void finish_decoding();
    const std::string &path() const { return path_; }
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
    void forget_capture();

    PictureFolders folders_;
    std::string path_;
    std::optional<DecodedPicture> picture_;
    DecodeOptions decoded_with_;
    std::optional<DecodeRequest> wanted_;
    PictureChoice choice_;
    FramingError framing_error_ = FramingError::None;
    bool captured_ = false;
    bool capture_valid_ = false;
    std::string error_;
};

}  // namespace zemlo::media
