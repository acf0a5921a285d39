#include "outside_file.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSysInfo>

#include "pc_file_filter.h"

namespace zemlo::shell {

namespace {

OutsideFile refused(const QString &path, const QString &why) {
    return {path, 0, why};
}

}  // namespace

OutsideFile check_outside_file(const QString &path) {
    if (path.isEmpty() || !QDir::isAbsolutePath(path) || path.contains(QChar(u'\0'))) {
        return refused(path,
                       QCoreApplication::translate("OutsideFile", "文件路径无效：%1").arg(path));
    }
    const QFileInfo info(path);
    if (!info.exists()) {
        return refused(path,
                       QCoreApplication::translate("OutsideFile", "文件不存在：%1").arg(path));
    }
    // A pipe or a device under a picture or MIDI name would block the panel that opens it.
    if (!info.isFile()) {
        return refused(path,
                       QCoreApplication::translate("OutsideFile", "不是普通文件：%1").arg(path));
    }
    const std::string name = info.fileName().toStdString();
    for (const app::FileType type : {app::FileType::Picture, app::FileType::Melody}) {
        if (app::is_listed_for_type(name, type)) {
            return {path, static_cast<int>(type), QString()};
        }
    }
    // The text whole on one line, so the catalogue tools and our check see it as written.
    // clang-format off
    const char *const unsupported = QT_TRANSLATE_NOOP("OutsideFile",
        "不支持的文件类型（只能打开 bmp、gif、jpg、ico、emf、wmf 图片和 mid、midi 乐曲）：%1");
    // clang-format on
    return refused(path, QCoreApplication::translate("OutsideFile", unsupported).arg(path));
}

std::optional<QString> local_path_of(const QUrl &url) {
    if (!url.isValid() || !url.isLocalFile()) {
        return std::nullopt;
    }
    // A file URL with a host other than this one names a file elsewhere.
    const QString host = url.host();
    if (!host.isEmpty() && host != QStringLiteral("localhost") &&
        host.compare(QSysInfo::machineHostName(), Qt::CaseInsensitive) != 0) {
        return std::nullopt;
    }
    // With a host the path would come back as a network name ("//host/..."): take the path part.
    const QString path = host.isEmpty() ? url.toLocalFile() : url.path(QUrl::FullyDecoded);
    if (path.isEmpty() || !QDir::isAbsolutePath(path)) {
        return std::nullopt;
    }
    return path;
}

std::optional<QString> single_dropped_file(const QList<QUrl> &urls) {
    if (urls.size() != 1) {
        return std::nullopt;
    }
    return local_path_of(urls.front());
}

}  // namespace zemlo::shell
