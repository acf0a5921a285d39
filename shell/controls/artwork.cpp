#include "artwork.h"

#include "zemlo_resources.h"

#include <QFile>
#include <QSvgRenderer>

namespace zemlo::shell {

QString icon_resource_path(Icon icon) {
    return QStringLiteral(":/icons/%1.svg").arg(icon_art(icon).file_number);
}

QIcon load_icon(Icon icon) {
    zemlo::resources::ensure_loaded();
    const QString path = icon_resource_path(icon);
    if (!QFile::exists(path)) {
        return {};
    }
    return QIcon(path);
}

QSize icon_natural_size(Icon icon) {
    zemlo::resources::ensure_loaded();
    QSvgRenderer renderer(icon_resource_path(icon));
    if (!renderer.isValid()) {
        return {};
    }
    return renderer.defaultSize();
}

}  // namespace zemlo::shell
