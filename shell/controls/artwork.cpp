#include "artwork.h"

#include "zemlo_resources.h"

#include <QFile>
#include <QSvgRenderer>

namespace zemlo::shell {

QString iconResourcePath(int resourceId) {
    return QStringLiteral(":/icons/%1.svg").arg(resourceId);
}

QIcon loadIcon(int resourceId) {
    zemlo::resources::ensureLoaded();
    const QString path = iconResourcePath(resourceId);
    if (!QFile::exists(path)) {
        return {};
    }
    return QIcon(path);
}

QSize iconNaturalSize(int resourceId) {
    zemlo::resources::ensureLoaded();
    QSvgRenderer renderer(iconResourcePath(resourceId));
    if (!renderer.isValid()) {
        return {};
    }
    return renderer.defaultSize();
}

}  // namespace zemlo::shell
