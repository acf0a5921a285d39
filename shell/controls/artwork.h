#pragma once

#include <QIcon>
#include <QPixmap>
#include <QSize>
#include <QString>

namespace zemlo::shell {

// The program's artwork is named by resource number: icons as ":/icons/<n>.svg", animation
// frames as ":/frames/<n>_<position>.png".
QString icon_resource_path(int resource_id);

// The icon with that number, or a null icon when there is none.
QIcon load_icon(int resource_id);
// The size an icon was drawn for (its SVG canvas), or an empty size when there is none.
QSize icon_natural_size(int resource_id);

}  // namespace zemlo::shell
