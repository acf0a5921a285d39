#include "file_icon_cache.h"

#include <QMimeDatabase>

#include "artwork.h"

namespace zemlo::shell {

void FileIconCache::reset() {
    keys_.clear();
    icons_.clear();
    by_type_.clear();
    // The program's own plain document and folder: the style's stock icons would have every
    // image reader of the toolkit loaded before the window's first paint.
    append(QStringLiteral("*"), load_icon(Icon::Document));
    append(QStringLiteral("."), load_icon(Icon::PcFolder));
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
    return append(key, icon_of_type(db.mimeTypeForFile(key, QMimeDatabase::MatchExtension).name()));
}

QIcon FileIconCache::icon_of_type(const QString &type_name) {
    if (const auto found = by_type_.find(type_name); found != by_type_.end()) {
        return found->second;
    }
    static const QMimeDatabase db;
    const QMimeType type = db.mimeTypeForName(type_name);
    QIcon icon = QIcon::fromTheme(type.iconName());
    if (icon.isNull()) {
        icon = QIcon::fromTheme(type.genericIconName());
    }
    if (icon.isNull()) {
        icon = icons_[kDocumentIndex];
    }
    by_type_.emplace(type_name, icon);
    return icon;
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
