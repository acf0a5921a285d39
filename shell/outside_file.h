// A file handed to the program from outside: named on the command line, passed on by a second
// start, or dropped from a file manager. It is judged before anything in the window changes.
#pragma once

#include <QList>
#include <QString>
#include <QUrl>
#include <optional>

namespace zemlo::shell {

struct OutsideFile {
    QString path;       // absolute, as given (links are not resolved: the list shows the name)
    int file_type = 0;  // 0 picture, 1 melody; meaningful only without an error
    QString error;      // empty when the file can be opened

    bool ok() const { return error.isEmpty(); }
};

// Whether path names an existing regular file (or a link to one) whose name the PC file list
// offers as a picture or a melody. Relative paths are refused: the caller resolves them against
// its own working folder, which a running window does not share.
OutsideFile check_outside_file(const QString &path);

// The local path of a file:// URL, or nothing for any other URL (remote, empty, not absolute).
std::optional<QString> local_path_of(const QUrl &url);

// The one local file of a drop; a drop of several files, or of anything else, gives nothing.
std::optional<QString> single_dropped_file(const QList<QUrl> &urls);

}  // namespace zemlo::shell
