// The PC folder tree: the top-level places, folders only, each level read the first time its
// node opens. A folder that has subfolders shows its expand button before it has been read.
// Every read of the file system runs in the background, so neither the first paint nor an
// expansion waits for a slow or dead mount; the nodes appear when the read ends.
#pragma once

#include <QTreeWidget>
#include <functional>
#include <optional>
#include <string>

#include "folder_scan.h"

namespace zemlo::shell {

class BackgroundScan;

class PcFolderTree : public QTreeWidget {
    Q_OBJECT
  public:
    explicit PcFolderTree(QWidget *parent = nullptr);

    // Where the nodes come from; the file system unless a test gives stand-ins. Called on a
    // thread of their own.
    void set_sources(std::function<std::vector<FolderNode>()> places,
                     std::function<std::vector<FolderNode>(const std::string &)> subfolders);

    // Builds the top level again in the background and opens its first node; placesShown()
    // follows when the places are there.
    void fill_top_level();
    bool places_shown() const { return places_shown_; }
    // Whether a read has not come back yet.
    bool scanning() const;
    // The folder of the selected node (bytes, as the file system has it), or nothing.
    std::optional<std::string> selected_folder_path() const;
    // Opens and selects the first top-level node (which runs the selection handling).
    void select_first();
    // Opens the tree down to folder (an absolute path) and selects its node, as a click would.
    // A folder the tree leaves out (a hidden one, or one made after its level was read) gets a
    // node of its own. False when no top-level place holds the folder.
    bool select_folder(const std::string &folder);

  signals:
    void placesShown();

  private:
    QTreeWidgetItem *make_item(const FolderNode &node, const QIcon &icon) const;
    void expand_once(QTreeWidgetItem *item);
    void merge_children(QTreeWidgetItem *parent, const std::vector<FolderNode> &nodes);
    QTreeWidgetItem *child_for(QTreeWidgetItem *parent, const std::string &name);

    std::function<std::vector<FolderNode>()> places_ = top_level_places;
    std::function<std::vector<FolderNode>(const std::string &)> subfolders_ = subfolders;
    BackgroundScan *scan_ = nullptr;
    QIcon folder_icon_;
    unsigned generation_ = 0;
    bool places_shown_ = false;
};

}  // namespace zemlo::shell
