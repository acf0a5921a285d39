#include "pc_folder_tree.h"

#include <QDir>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QHeaderView>

namespace zemlo::shell {

namespace {

constexpr int kPathRole = Qt::UserRole;
constexpr int kReadRole = Qt::UserRole + 1;

}  // namespace

PcFolderTree::PcFolderTree(QWidget *parent) : QTreeWidget(parent) {
    setHeaderHidden(true);
    setColumnCount(1);
    setRootIsDecorated(true);
    setUniformRowHeights(true);
    setContextMenuPolicy(Qt::PreventContextMenu);
    setSelectionMode(QAbstractItemView::SingleSelection);
    connect(this, &QTreeWidget::itemExpanded, this, &PcFolderTree::expand_once);
}

void PcFolderTree::fill_top_level() {
    clear();
    add_children(nullptr, top_level_places());
    if (topLevelItemCount() > 0) {
        expandItem(topLevelItem(0));
    }
}

void PcFolderTree::select_first() {
    if (topLevelItemCount() == 0) {
        return;
    }
    QTreeWidgetItem *first = topLevelItem(0);
    expandItem(first);
    setCurrentItem(first);
}

namespace {

// The part of path below place, as folder names, or nothing when place does not hold path.
std::optional<QStringList> path_below(const QString &place, const QString &path) {
    if (path == place) {
        return QStringList();
    }
    const QString prefix = place.endsWith(u'/') ? place : place + u'/';
    if (!path.startsWith(prefix)) {
        return std::nullopt;
    }
    return path.mid(prefix.size()).split(u'/', Qt::SkipEmptyParts);
}

}  // namespace

bool PcFolderTree::select_folder(const QString &folder) {
    const QString path = QDir::cleanPath(folder);
    // The place that holds the folder most closely: the Desktop rather than home, home rather
    // than the root.
    QTreeWidgetItem *place = nullptr;
    QStringList below;
    for (int i = 0; i < topLevelItemCount(); ++i) {
        QTreeWidgetItem *item = topLevelItem(i);
        const std::optional<QStringList> names =
            path_below(item->data(0, kPathRole).toString(), path);
        if (names && (place == nullptr || names->size() < below.size())) {
            place = item;
            below = *names;
        }
    }
    if (place == nullptr) {
        return false;
    }
    QTreeWidgetItem *item = place;
    for (const QString &name : below) {
        expandItem(item);
        item = child_for(item, name);
    }
    setCurrentItem(item);
    scrollToItem(item);
    return true;
}

QTreeWidgetItem *PcFolderTree::child_for(QTreeWidgetItem *parent, const QString &name) {
    int at = 0;
    for (; at < parent->childCount(); ++at) {
        const QString existing = parent->child(at)->text(0);
        if (existing == name) {
            return parent->child(at);
        }
        const int c = QString::compare(existing, name, Qt::CaseInsensitive);
        if (c > 0 || (c == 0 && existing > name)) {
            break;
        }
    }
    const QString path = QDir(parent->data(0, kPathRole).toString()).filePath(name);
    auto *item = new QTreeWidgetItem();
    item->setText(0, name);
    item->setIcon(0, parent->icon(0));
    item->setData(0, kPathRole, path);
    item->setData(0, kReadRole, false);
    item->setChildIndicatorPolicy(has_subfolders(path)
                                      ? QTreeWidgetItem::ShowIndicator
                                      : QTreeWidgetItem::DontShowIndicatorWhenChildless);
    parent->insertChild(at, item);
    return item;
}

std::optional<QString> PcFolderTree::selected_folder_path() const {
    const QTreeWidgetItem *item = currentItem();
    if (item == nullptr) {
        return std::nullopt;
    }
    const QString path = item->data(0, kPathRole).toString();
    if (path.isEmpty()) {
        return std::nullopt;
    }
    return path;
}

void PcFolderTree::add_children(QTreeWidgetItem *parent, const std::vector<FolderNode> &nodes) {
    static const QFileIconProvider provider;
    const QIcon folder = provider.icon(QAbstractFileIconProvider::Folder);
    for (const FolderNode &node : nodes) {
        auto *item = new QTreeWidgetItem();
        item->setText(0, node.name);
        item->setIcon(0, folder);
        item->setData(0, kPathRole, node.path);
        item->setData(0, kReadRole, false);
        item->setChildIndicatorPolicy(node.has_subfolders
                                          ? QTreeWidgetItem::ShowIndicator
                                          : QTreeWidgetItem::DontShowIndicatorWhenChildless);
        if (parent != nullptr) {
            parent->addChild(item);
        } else {
            addTopLevelItem(item);
        }
    }
}

void PcFolderTree::expand_once(QTreeWidgetItem *item) {
    // Each level is read once; folders made later show after a restart.
    if (item == nullptr || item->data(0, kReadRole).toBool()) {
        return;
    }
    item->setData(0, kReadRole, true);
    add_children(item, subfolders(item->data(0, kPathRole).toString()));
    if (item->childCount() == 0) {
        item->setChildIndicatorPolicy(QTreeWidgetItem::DontShowIndicatorWhenChildless);
    }
}

}  // namespace zemlo::shell
