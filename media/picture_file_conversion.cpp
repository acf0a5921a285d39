#include "picture_file_conversion.h"

#include "picture_selection.h"

namespace zemlo::media {

FileConversion convert_picture_file(const std::string &source, const std::string &output,
                                    const PictureChoice &choice) {
    FileConversion result;
    std::string error;
    const PictureFolders folders = default_picture_folders(&error);
    if (folders.work_dir.empty()) {
        result.error = error;
        return result;
    }
    PictureSelection selection(folders);
    selection.set_choice(choice);
    if (!selection.show_picture(source)) {
        result.error = source + ": " + selection.last_error();
        return result;
    }
    result.upright = selection.picture()->upright_size();
    selection.draw();
    if (selection.framing_error() != FramingError::None) {
        result.framing = selection.framing_error();
        result.error = "the frame lies outside the picture";
        return result;
    }
    if (!selection.last_error().empty()) {
        result.error = selection.last_error();
        return result;
    }
    const ConversionOutcome outcome = selection.convert_selection(output, source);
    result.ok = outcome.ok;
    result.error = outcome.error;
    return result;
}

}  // namespace zemlo::media
