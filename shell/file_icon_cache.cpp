#include "file_icon_cache.h"

#include <QFileIconProvider>
#include <QMimeDatabase>

#include "artwork.h"

namespace zemlo::shell {

void FileIconCache::reset() {
    keys_.clear();
    icons_.clear();
    const QFileIconProvider provider;
    append(QStringLiteral("*"), provider.icon(QAbstractFileIconProvider::File));
    append(QStringLiteral("."), provider.icon(QAbstractFileIconProvider::Folder));
}

int FileIconCache::add_resource_icon(Icon icon, const QString &key) {
    return append(key, load_icon(icon));
}

int FileIconCache::image_index(const QString &file_name) {
    const QString key = file_name.toLower();
    for (size_t i = 0; i < keys_.size(); ++i) {
        if (keys_[i] == key) {
            return static_cast<int>(i);
        }
    }
    static const QMimeDatabase db;
    const QMimeType type = db.mimeTypeForFile(key, QMimeDatabase::MatchExtension);
    QIcon icon = QIcon::fromTheme(type.iconName());
    if (icon.isNull()) {
        icon = QIcon::fromTheme(type.genericIconName());
    }
    if (icon.isNull()) {
        icon = icons_[kDocumentIndex];
    }
    return append(key, icon);
}

QIcon FileIconCache::icon(int index) const {
    if (index < 0 || static_cast<size_t>(index) >= icons_.size()) {
        return icons_[kDocumentIndex];
    }
    return icons_[static_cast<size_t>(index)];
}

int FileIconCache::append(const QString &key, const QIcon &icon) {
    keys_.push_back(key);
    icons_.push_back(icon);
    return static_cast<int>(keys_.size()) - 1;
}

}  // namespace zemlo::shell
