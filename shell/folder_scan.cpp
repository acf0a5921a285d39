#include "folder_scan.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QStandardPaths>
#include <QStorageInfo>
#include <algorithm>

namespace zemlo::shell {

namespace {

constexpr QDir::Filters kFolderFilter = QDir::Dirs | QDir::NoDotAndDotDot;

bool already_listed(const std::vector<FolderNode> &nodes, const QString &path) {
    return std::any_of(nodes.begin(), nodes.end(),
                       [&](const FolderNode &n) { return n.path == path; });
}

void add_place(std::vector<FolderNode> &nodes, const QString &name, const QString &path) {
    const QString clean = QDir::cleanPath(path);
    if (clean.isEmpty() || !QFileInfo(clean).isDir() || already_listed(nodes, clean)) {
        return;
    }
    nodes.push_back({name, clean, has_subfolders(clean)});
}

}  // namespace

std::vector<FolderNode> top_level_places() {
    std::vector<FolderNode> nodes;
    add_place(nodes, QCoreApplication::translate("FolderTree", "主目录"), QDir::homePath());
    add_place(nodes, QCoreApplication::translate("FolderTree", "桌面"),
              QStandardPaths::writableLocation(QStandardPaths::DesktopLocation));
    add_place(nodes, QStringLiteral("/"), QDir::rootPath());
    for (const QStorageInfo &volume : QStorageInfo::mountedVolumes()) {
        if (!volume.isValid() || !volume.isReady() || volume.isRoot()) {
            continue;
        }
        const QString root = volume.rootPath();
        // Only places a person stores files on: removable media and other disks.
        if (!root.startsWith(QStringLiteral("/media/")) &&
            !root.startsWith(QStringLiteral("/mnt/")) &&
            !root.startsWith(QStringLiteral("/run/media/"))) {
            continue;
        }
        const QString name = volume.displayName().isEmpty() ? root : volume.displayName();
        add_place(nodes, name, root);
    }
    return nodes;
}

std::vector<FolderNode> subfolders(const QString &path) {
    std::vector<FolderNode> nodes;
    const QDir dir(path);
    for (const QFileInfo &info : dir.entryInfoList(kFolderFilter)) {
        nodes.push_back(
            {info.fileName(), info.absoluteFilePath(), has_subfolders(info.absoluteFilePath())});
    }
    std::sort(nodes.begin(), nodes.end(), [](const FolderNode &a, const FolderNode &b) {
        const int c = QString::compare(a.name, b.name, Qt::CaseInsensitive);
        return c != 0 ? c < 0 : a.name < b.name;
    });
    return nodes;
}

bool has_subfolders(const QString &path) {
    QDirIterator it(path, kFolderFilter);
    return it.hasNext();
}

}  // namespace zemlo::shell
