#include "artwork.h"

#include "zemlo_resources.h"

#include <QFile>
#include <QSvgRenderer>

namespace zemlo::shell {

QString icon_resource_path(int resource_id) {
    return QStringLiteral(":/icons/%1.svg").arg(resource_id);
}

QIcon load_icon(int resource_id) {
    zemlo::resources::ensureLoaded();
    const QString path = icon_resource_path(resource_id);
    if (!QFile::exists(path)) {
        return {};
    }
    return QIcon(path);
}

QSize icon_natural_size(int resource_id) {
    zemlo::resources::ensureLoaded();
    QSvgRenderer renderer(icon_resource_path(resource_id));
    if (!renderer.isValid()) {
        return {};
    }
    return renderer.defaultSize();
}

}  // namespace zemlo::shell
