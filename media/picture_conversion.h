// The conversion of the last capture into the handset picture file: libpicmill.so is loaded for
// this one conversion, its ConvertBmp turns "tmp.bmp" into the text "tmp.el", and the text is
// read into the output file. Both temporary files live in a run's own folder inside the private
// work folder (run_folder.h), and both are made new (O_EXCL|O_NOFOLLOW) before they are written.
#pragma once

#include <memory>
#include <string>

#include "zemlo/run_folder.h"

namespace zemlo::media {

// Where the conversion finds the converter library and keeps its temporary files.
struct PictureFolders {
    std::string library_dir;  // holds libpicmill.so (and libdisplay.so beside it)
    std::string work_dir;     // holds tmp.bmp and tmp.el
    // The run's folder that work_dir names, when made by default_picture_folders: it is removed
    // with its files when the last copy of these folders goes.
    std::shared_ptr<const RunFolder> run;
};

struct ConversionOutcome {
    bool ok = false;
    std::string error;  // one line saying why, when not ok
};

// The directory of the running program, where its libraries are installed.
std::string program_dir();

// The program's directory and a new folder of this run in the user's private work folder.
// *error is set and the work folder left empty when the work folder cannot be used.
PictureFolders default_picture_folders(std::string *error);

std::string capture_path(const PictureFolders &folders);
std::string converter_text_path(const PictureFolders &folders);

// Converts the capture now in the work folder and writes the handset picture file. The
// converter's text is removed again afterwards.
ConversionOutcome convert_capture(const std::string &output_path, const PictureFolders &folders);

}  // namespace zemlo::media
