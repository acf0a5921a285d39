#include "pc_folder_tree.h"

#include <QDir>
#include <QFileIconProvider>
#include <QHeaderView>

#include "background_scan.h"

namespace zemlo::shell {

namespace {

constexpr int kPathRole = Qt::UserRole;
constexpr int kReadRole = Qt::UserRole + 1;

// The order of the tree: by name ignoring case, then as written.
bool sorts_after(const QString &a, const QString &b) {
    const int c = QString::compare(a, b, Qt::CaseInsensitive);
    return c != 0 ? c > 0 : a > b;
}

QIcon folder_icon() {
    static const QFileIconProvider provider;
    return provider.icon(QAbstractFileIconProvider::Folder);
}

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

PcFolderTree::PcFolderTree(QWidget *parent) : QTreeWidget(parent), scan_(new BackgroundScan(this)) {
    setHeaderHidden(true);
    setColumnCount(1);
    setRootIsDecorated(true);
    setUniformRowHeights(true);
    setContextMenuPolicy(Qt::PreventContextMenu);
    setSelectionMode(QAbstractItemView::SingleSelection);
    connect(this, &QTreeWidget::itemExpanded, this, &PcFolderTree::expand_once);
}

void PcFolderTree::set_sources(std::function<std::vector<FolderNode>()> places,
                               std::function<std::vector<FolderNode>(const QString &)> subfolders) {
    places_ = std::move(places);
    subfolders_ = std::move(subfolders);
}

bool PcFolderTree::scanning() const {
    return scan_->pending() > 0;
}

void PcFolderTree::fill_top_level() {
    clear();
    places_shown_ = false;
    const unsigned generation = ++generation_;
    scan_->run([this, generation, places = places_]() -> std::function<void()> {
        return [this, generation, nodes = places()] {
            if (generation != generation_) {
                return;  // a newer top level is on its way
            }
            const QIcon folder = folder_icon();
            for (const FolderNode &node : nodes) {
                addTopLevelItem(make_item(node, folder));
            }
            places_shown_ = true;
            if (topLevelItemCount() > 0) {
                expandItem(topLevelItem(0));
            }
            emit placesShown();
        };
    });
}

void PcFolderTree::select_first() {
    if (topLevelItemCount() == 0) {
        return;
    }
    QTreeWidgetItem *first = topLevelItem(0);
    expandItem(first);
    setCurrentItem(first);
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

QTreeWidgetItem *PcFolderTree::make_item(const FolderNode &node, const QIcon &icon) const {
    auto *item = new QTreeWidgetItem();
    item->setText(0, node.name);
    item->setIcon(0, icon);
    item->setData(0, kPathRole, node.path);
    item->setData(0, kReadRole, false);
    item->setChildIndicatorPolicy(node.has_subfolders
                                      ? QTreeWidgetItem::ShowIndicator
                                      : QTreeWidgetItem::DontShowIndicatorWhenChildless);
    return item;
}

void PcFolderTree::expand_once(QTreeWidgetItem *item) {
    // Each level is read once; folders made later show after a restart.
    if (item == nullptr || item->data(0, kReadRole).toBool()) {
        return;
    }
    item->setData(0, kReadRole, true);
    const QString path = item->data(0, kPathRole).toString();
    // Nodes go only with the whole tree (fill_top_level), which starts a new generation.
    const unsigned generation = generation_;
    scan_->run([this, generation, item, path, read = subfolders_]() -> std::function<void()> {
        return [this, generation, item, nodes = read(path)] {
            if (generation == generation_) {
                merge_children(item, nodes);
            }
        };
    });
}

void PcFolderTree::merge_children(QTreeWidgetItem *parent, const std::vector<FolderNode> &nodes) {
    const QIcon folder = folder_icon();
    for (const FolderNode &node : nodes) {
        // A node made while the read ran (a folder opened from outside) stays as it is.
        int at = 0;
        bool present = false;
        for (; at < parent->childCount(); ++at) {
            const QString existing = parent->child(at)->text(0);
            if (existing == node.name) {
                present = true;
                break;
            }
            if (sorts_after(existing, node.name)) {
                break;
            }
        }
        if (!present) {
            parent->insertChild(at, make_item(node, folder));
        }
    }
    if (parent->childCount() == 0) {
        parent->setChildIndicatorPolicy(QTreeWidgetItem::DontShowIndicatorWhenChildless);
    }
}

QTreeWidgetItem *PcFolderTree::child_for(QTreeWidgetItem *parent, const QString &name) {
    for (int at = 0; at < parent->childCount(); ++at) {
        if (parent->child(at)->text(0) == name) {
            return parent->child(at);
        }
    }
    // Not read yet, hidden, or made later: the node is added now (the one read this needs is of
    // a folder the user named).
    const QString path = QDir(parent->data(0, kPathRole).toString()).filePath(name);
    merge_children(parent, {FolderNode{name, path, has_subfolders(path)}});
    for (int at = 0; at < parent->childCount(); ++at) {
        if (parent->child(at)->text(0) == name) {
            return parent->child(at);
        }
    }
    return parent;  // not reached: the node was just added
}

}  // namespace zemlo::shell
