// The conversion of the last capture into the handset picture file: libpicmill.so is loaded for
// this one conversion, its ConvertBmp turns "tmp.bmp" into the text "tmp.el", and the text is
// read into the output file. Both temporary files live in the private work folder.
#pragma once

#include <string>

namespace zemlo::media {

// Where the conversion finds the converter library and keeps its temporary files.
struct PictureFolders {
    std::string library_dir;  // holds libpicmill.so (and libdisplay.so beside it)
    std::string work_dir;     // holds tmp.bmp and tmp.el
};

struct ConversionOutcome {
    bool ok = false;
    std::string error;  // one line saying why, when not ok
};

// The directory of the running program, where its libraries are installed.
std::string program_dir();

// The program's directory and the user's private work folder (created when missing).
// *error is set and the work folder left empty when it cannot be created.
PictureFolders default_picture_folders(std::string *error);

std::string capture_path(const PictureFolders &folders);
std::string converter_text_path(const PictureFolders &folders);

// Converts the capture now in the work folder and writes the handset picture file.
ConversionOutcome convert_capture(const std::string &output_path, const PictureFolders &folders);

}  // namespace zemlo::media
