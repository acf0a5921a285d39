#include "pc_folder_tree.h"

#include <QFileIconProvider>
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
