// A file handed to the program from outside: named on the command line, passed on by a second
// start, or dropped from a file manager. It is judged before anything in the window changes.
// Paths are bytes, as the file system has them: a name that is not UTF-8 is still the same file.
#pragma once

#include <QList>
#include <QString>
#include <QUrl>
#include <optional>
#include <string>
#include <vector>

namespace zemlo::shell {

struct OutsideFile {
    std::string path;   // absolute, as given (links are not resolved: the list shows the name)
    int file_type = 0;  // 0 picture, 1 melody; meaningful only without an error
    QString error;      // empty when the file can be opened

    bool ok() const { return error.isEmpty(); }
};

// Whether path names an existing regular file (or a link to one) whose name the PC file list
// offers as a picture or a melody. Relative paths are refused: the caller resolves them against
// its own working folder, which a running window does not share.
OutsideFile check_outside_file(const std::string &path);

// A command-line argument made absolute against the working folder, byte for byte; "." and ".."
// steps are taken out. Empty for an empty argument.
std::string absolute_argument(const std::string &argument);

// The local path of a file:// URL, byte for byte (percent escapes that are not UTF-8 included),
// or nothing for any other URL (remote, empty, not absolute).
std::optional<std::string> local_path_of(const QUrl &url);

// The file:// URL of a local path, every byte outside the plain ones percent-encoded.
QByteArray file_url_of(const std::string &path);

// The local files of a drop, in its order; nothing when any of it is not a local file.
std::vector<std::string> dropped_files(const QList<QUrl> &urls);

}  // namespace zemlo::shell
