#include "outside_file.h"

#include <QCoreApplication>
#include <QSysInfo>
#include <filesystem>

#include "handset_text.h"
#include "pc_file_filter.h"

namespace zemlo::shell {

namespace {

namespace fs = std::filesystem;

OutsideFile refused(const std::string &path, const char *why) {
    const QString shown = QString::fromStdString(app::printable_local_text(path));
    return {path, 0, QCoreApplication::translate("OutsideFile", why).arg(shown)};
}

}  // namespace

OutsideFile check_outside_file(const std::string &path) {
    if (path.empty() || path.front() != '/' || path.find('\0') != std::string::npos) {
        return refused(path, QT_TRANSLATE_NOOP("OutsideFile", "文件路径无效：%1"));
    }
    std::error_code ec;
    const fs::file_status status = fs::status(path, ec);  // through links, as opening would go
    if (!fs::exists(status)) {
        return refused(path, QT_TRANSLATE_NOOP("OutsideFile", "文件不存在：%1"));
    }
    // A pipe or a device under a picture or MIDI name would block the panel that opens it.
    if (!fs::is_regular_file(status)) {
        return refused(path, QT_TRANSLATE_NOOP("OutsideFile", "不是普通文件：%1"));
    }
    const std::string name = fs::path(path).filename().string();
    for (const app::FileType type : {app::FileType::Picture, app::FileType::Melody}) {
        if (app::is_listed_for_type(name, type)) {
            return {path, static_cast<int>(type), QString()};
        }
    }
    // The text whole on one line, so the catalogue tools and our check see it as written.
    // clang-format off
    return refused(path, QT_TRANSLATE_NOOP("OutsideFile",
        "不支持的文件类型（只能打开 bmp、dib、gif、jpg、jpeg、jpe、ico、emf、wmf 图片和 mid、midi、kar 乐曲）：%1"));
    // clang-format on
}

std::string absolute_argument(const std::string &argument) {
    if (argument.empty()) {
        return {};
    }
    std::error_code ec;
    fs::path absolute = fs::absolute(fs::path(argument), ec);
    if (ec) {
        return argument;  // no working folder: judged (and refused) as given
    }
    std::string clean = absolute.lexically_normal().string();
    while (clean.size() > 1 && clean.back() == '/') {
        clean.pop_back();
    }
    return clean;
}

std::optional<std::string> local_path_of(const QUrl &url) {
    if (!url.isValid() || !url.isLocalFile()) {
        return std::nullopt;
    }
    // A file URL with a host other than this one names a file elsewhere.
    const QString host = url.host();
    if (!host.isEmpty() && host != QStringLiteral("localhost") &&
        host.compare(QSysInfo::machineHostName(), Qt::CaseInsensitive) != 0) {
        return std::nullopt;
    }
    // The encoded path keeps escapes that are not UTF-8 as they came: decoding them here gives
    // the file's own bytes, where a decoded QString would have replaced them.
    const QByteArray encoded = url.path(QUrl::FullyEncoded).toLatin1();
    const std::string path = QByteArray::fromPercentEncoding(encoded).toStdString();
    if (path.empty() || path.front() != '/') {
        return std::nullopt;
    }
    return path;
}

QByteArray file_url_of(const std::string &path) {
    return QByteArrayLiteral("file://") +
           QByteArray::fromStdString(path).toPercentEncoding(QByteArrayLiteral("/"));
}

std::vector<std::string> dropped_files(const QList<QUrl> &urls) {
    std::vector<std::string> paths;
    for (const QUrl &url : urls) {
        std::optional<std::string> path = local_path_of(url);
        if (!path) {
            return {};
        }
        paths.push_back(std::move(*path));
    }
    return paths;
}

}  // namespace zemlo::shell
