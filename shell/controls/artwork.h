#pragma once

#include <QIcon>
#include <QPixmap>
#include <QSize>
#include <QString>

namespace zemlo::shell {

// The program's artwork is named by resource number: icons as ":/icons/<n>.svg", animation
// frames as ":/frames/<n>_<position>.png".
QString iconResourcePath(int resourceId);

// The icon with that number, or a null icon when there is none.
QIcon loadIcon(int resourceId);
// The size an icon was drawn for (its SVG canvas), or an empty size when there is none.
QSize iconNaturalSize(int resourceId);

}  // namespace zemlo::shell
