#include "pc_folder_tree.h"

#include <QHeaderView>

#include "artwork.h"
#include "background_scan.h"
#include "shown_text.h"

namespace zemlo::shell {

namespace {

constexpr int kPathRole = Qt::UserRole;
constexpr int kReadRole = Qt::UserRole + 1;

// The order of the tree: by name ignoring case, then as written.
bool sorts_after(const QString &a, const QString &b) {
    const int c = QString::compare(a, b, Qt::CaseInsensitive);
    return c != 0 ? c > 0 : a > b;
}

std::string path_of(const QTreeWidgetItem *item) {
    return item->data(0, kPathRole).toByteArray().toStdString();
}

// The part of path below place, as folder names, or nothing when place does not hold path.
std::optional<std::vector<std::string>> path_below(const std::string &place,
                                                   const std::string &path) {
    if (path == place) {
        return std::vector<std::string>();
    }
    const std::string prefix = !place.empty() && place.back() == '/' ? place : place + '/';
    if (path.compare(0, prefix.size(), prefix) != 0) {
        return std::nullopt;
    }
    std::vector<std::string> names;
    size_t from = prefix.size();
    while (from < path.size()) {
        const size_t slash = std::min(path.find('/', from), path.size());
        if (slash > from) {
            names.push_back(path.substr(from, slash - from));
        }
        from = slash + 1;
    }
    return names;
}

std::string join(const std::string &folder, const std::string &name) {
    return !folder.empty() && folder.back() == '/' ? folder + name : folder + '/' + name;
}

}  // namespace

PcFolderTree::PcFolderTree(QWidget *parent)
    : QTreeWidget(parent),
      scan_(new BackgroundScan(this)),
      folder_icon_(load_icon(Icon::PcFolder)) {
    setHeaderHidden(true);
    setColumnCount(1);
    setRootIsDecorated(true);
    setUniformRowHeights(true);
    setContextMenuPolicy(Qt::PreventContextMenu);
    setSelectionMode(QAbstractItemView::SingleSelection);
    connect(this, &QTreeWidget::itemExpanded, this, &PcFolderTree::expand_once);
}

void PcFolderTree::set_sources(
    std::function<std::vector<FolderNode>()> places,
    std::function<std::vector<FolderNode>(const std::string &)> subfolders) {
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
            const QIcon &folder = folder_icon_;
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

std::optional<std::string> PcFolderTree::selected_folder_path() const {
    const QTreeWidgetItem *item = currentItem();
    if (item == nullptr) {
        return std::nullopt;
    }
    std::string path = path_of(item);
    if (path.empty()) {
        return std::nullopt;
    }
    return path;
}

bool PcFolderTree::select_folder(const std::string &folder) {
    const std::string path = clean_folder_path(folder);
    // The place that holds the folder most closely: the Desktop rather than home, home rather
    // than the root.
    QTreeWidgetItem *place = nullptr;
    std::vector<std::string> below;
    for (int i = 0; i < topLevelItemCount(); ++i) {
        QTreeWidgetItem *item = topLevelItem(i);
        const std::optional<std::vector<std::string>> names = path_below(path_of(item), path);
        if (names && (place == nullptr || names->size() < below.size())) {
            place = item;
            below = *names;
        }
    }
    if (place == nullptr) {
        return false;
    }
    QTreeWidgetItem *item = place;
    for (const std::string &name : below) {
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
    item->setData(0, kPathRole, QByteArray::fromStdString(node.path));
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
    const std::string path = path_of(item);
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
    const QIcon &folder = folder_icon_;
    for (const FolderNode &node : nodes) {
        // A node made while the read ran (a folder opened from outside) stays as it is.
        int at = 0;
        bool present = false;
        for (; at < parent->childCount(); ++at) {
            if (path_of(parent->child(at)) == node.path) {
                present = true;
                break;
            }
            if (sorts_after(parent->child(at)->text(0), node.name)) {
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

QTreeWidgetItem *PcFolderTree::child_for(QTreeWidgetItem *parent, const std::string &name) {
    const std::string path = join(path_of(parent), name);
    const auto find = [&]() -> QTreeWidgetItem * {
        for (int at = 0; at < parent->childCount(); ++at) {
            if (path_of(parent->child(at)) == path) {
                return parent->child(at);
            }
        }
        return nullptr;
    };
    if (QTreeWidgetItem *found = find()) {
        return found;
    }
    // Not read yet, hidden, or made later: the node is added now (the one read this needs is of
    // a folder the user named).
    merge_children(parent, {FolderNode{shown_name(name), path, has_subfolders(path)}});
    if (QTreeWidgetItem *added = find()) {
        return added;
    }
    return parent;  // not reached: the node was just added
}

}  // namespace zemlo::shell
