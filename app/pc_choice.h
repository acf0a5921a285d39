// What the user chose to download: the file type, the PC folder on show and the file chosen in it,
// and the name the file is to have on the handset. Window thread; it keeps the window's PC file
// list, the chosen file's label, the extension label and the side panel in step.
#pragma once

#include <string>
#include <vector>

#include "handset_entry.h"
#include "messages.h"
#include "window_port.h"

namespace zemlo::app {

class PcChoice {
  public:
    explicit PcChoice(WindowPort &window) : window_(window) {}

    FileType type() const { return type_; }
    const std::string &file() const { return file_; }  // the chosen PC file, with its folder
    // The chosen PC files, with their folder, when several are chosen; else empty.
    const std::vector<std::string> &files() const { return files_; }
    const std::string &name() const { return name_; }  // the handset name, without extension
    // The handset name with its folder's extension.
    std::string target() const { return name_ + std::string(file_extension(type_)); }

    // Another file type: the folder is listed again for it and its file choice cleared.
    void set_type(FileType type);
    void set_name(const std::string &name) { name_ = name; }
    // Lists the files of the folder that the type takes.
    void show_folder(const std::string &folder);
    void clear_file();
    void choose_file(const std::string &name_in_folder);
    // Several files of the folder on show, to download in one go.
    void choose_files(const std::vector<std::string> &names_in_folder);
    // A download asked for directly (the command line).
    void take(FileType type, const std::string &file, const std::string &name);

  private:
    WindowPort &window_;
    FileType type_ = FileType::Picture;
    std::string folder_;
    std::string file_;
    std::vector<std::string> files_;
    std::string name_;
};

// What keeps a download of file under name from starting (no file chosen, no name), or None.
MessageId missing_for_download(const std::string &file, const std::string &name);

}  // namespace zemlo::app
