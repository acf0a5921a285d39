#include "folder_scan.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QStorageInfo>
#include <algorithm>
#include <filesystem>

#include "shown_text.h"

namespace zemlo::shell {

namespace {

namespace fs = std::filesystem;

bool already_listed(const std::vector<FolderNode> &nodes, const std::string &path) {
    return std::any_of(nodes.begin(), nodes.end(),
                       [&](const FolderNode &n) { return n.path == path; });
}

bool is_folder(const std::string &path) {
    std::error_code ec;
    return fs::is_directory(path, ec);
}

void add_place(std::vector<FolderNode> &nodes, const QString &name, const std::string &path) {
    const std::string clean = path.empty() ? path : clean_folder_path(path);
    if (clean.empty() || !is_folder(clean) || already_listed(nodes, clean)) {
        return;
    }
    nodes.push_back({name, clean, has_subfolders(clean)});
}

// Calls visit with the name and path of each visible subfolder of path until it returns false.
template <typename Visit>
void each_visible_subfolder(const std::string &path, Visit visit) {
    std::error_code ec;
    for (fs::directory_iterator it(path, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        std::error_code type_ec;
        // Through links, as opening the folder would go.
        if (name.empty() || name.front() == '.' || !it->is_directory(type_ec)) {
            continue;
        }
        if (!visit(name, it->path().string())) {
            return;
        }
    }
}

}  // namespace

std::string clean_folder_path(const std::string &path) {
    std::string clean = fs::path(path).lexically_normal().string();
    while (clean.size() > 1 && clean.back() == '/') {
        clean.pop_back();
    }
    return clean;
}

std::vector<FolderNode> top_level_places() {
    std::vector<FolderNode> nodes;
    // $HOME byte for byte; Qt's home path is decoded text.
    const QByteArray home = qgetenv("HOME");
    add_place(
        nodes, QCoreApplication::translate("FolderTree", "主目录"),
        home.isEmpty() ? QFile::encodeName(QDir::homePath()).toStdString() : home.toStdString());
    add_place(nodes, QCoreApplication::translate("FolderTree", "桌面"),
              QFile::encodeName(QStandardPaths::writableLocation(QStandardPaths::DesktopLocation))
                  .toStdString());
    add_place(nodes, QStringLiteral("/"), "/");
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
        add_place(nodes, name, QFile::encodeName(root).toStdString());
    }
    return nodes;
}

std::vector<FolderNode> subfolders(const std::string &path) {
    std::vector<FolderNode> nodes;
    each_visible_subfolder(path, [&](const std::string &name, const std::string &child) {
        nodes.push_back({shown_name(name), child, has_subfolders(child)});
        return true;
    });
    std::sort(nodes.begin(), nodes.end(), [](const FolderNode &a, const FolderNode &b) {
        const int c = QString::compare(a.name, b.name, Qt::CaseInsensitive);
        return c != 0 ? c < 0 : a.path < b.path;
    });
    return nodes;
}

bool has_subfolders(const std::string &path) {
    bool found = false;
    each_visible_subfolder(path, [&](const std::string &, const std::string &) {
        found = true;
        return false;
    });
    return found;
}

}  // namespace zemlo::shell
