// The PC folder tree: the top-level places, folders only, each level read the first time its
// node opens. A folder that has subfolders shows its expand button before it has been read.
#pragma once

#include <QTreeWidget>
#include <optional>

#include "folder_scan.h"

namespace zemlo::shell {

class PcFolderTree : public QTreeWidget {
    Q_OBJECT
  public:
    explicit PcFolderTree(QWidget *parent = nullptr);

    // Builds the top level again and opens its first node.
    void fill_top_level();
    // The folder of the selected node, or nothing.
    std::optional<QString> selected_folder_path() const;
    // Opens and selects the first top-level node (which runs the selection handling).
    void select_first();
    // Opens the tree down to folder (an absolute path) and selects its node, as a click would.
    // A folder the tree leaves out (a hidden one, or one made after its level was read) gets a
    // node of its own. False when no top-level place holds the folder.
    bool select_folder(const QString &folder);

  private:
    void add_children(QTreeWidgetItem *parent, const std::vector<FolderNode> &nodes);
    void expand_once(QTreeWidgetItem *item);
    QTreeWidgetItem *child_for(QTreeWidgetItem *parent, const QString &name);
};

}  // namespace zemlo::shell
