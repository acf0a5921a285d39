// Which PC files the file list offers for the chosen file type.
#pragma once

#include <string>
#include <string_view>

#include "handset_entry.h"

namespace zemlo::app {

// The extension used by the filter: the text after the last "." of the name, or the whole name when
// it has no dot (so a file called just "bmp" is offered as a picture). Names with several dots
// ("holiday.2024.jpg") are judged by their real extension.
std::string filter_extension(std::string_view file_name);

// True when the PC file list shows the file for the file type. Names starting with "." are never
// shown; the extension is compared in lower case.
bool is_listed_for_type(std::string_view file_name, FileType type);

}  // namespace zemlo::app
