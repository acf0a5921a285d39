// File icons by name, shared by the PC file list and the handset file list. The icon comes from
// the name's type (the file need not exist); names are kept lower-cased, so A.BMP and a.bmp
// share one entry. The cache grows by one entry per distinct name and is emptied only by reset.
#pragma once

#include <QIcon>
#include <QString>
#include <map>
#include <vector>

#include "artwork.h"

namespace zemlo::shell {

class FileIconCache {
  public:
    static constexpr int kDocumentIndex = 0;  // key "*"
    static constexpr int kFolderIndex = 1;    // key "."

    FileIconCache() { reset(); }

    // Empties the cache and adds the plain document ("*") and folder (".") icons.
    void reset();
    // Appends one of the program's icons under key.
    int add_resource_icon(Icon icon, const QString &key);
    // The index for the name, adding an entry when the name is new.
    int image_index(const QString &file_name);
    QIcon icon(int index) const;
    int size() const { return static_cast<int>(keys_.size()); }

  private:
    int append(const QString &key, const QIcon &icon);
    // The theme's icon for a type, looked up once per type: a folder of a few hundred pictures
    // asks the theme a few times, not once per name.
    QIcon icon_of_type(const QString &type_name);

    std::vector<QString> keys_;
    std::vector<QIcon> icons_;
    std::map<QString, QIcon> by_type_;
};

}  // namespace zemlo::shell
