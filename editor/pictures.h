// The program's pictures: the toolbar's and the program icon.
#pragma once

#include <QIcon>
#include <QString>

namespace editor {

// The sizes each picture is drawn at, in pixels.
inline constexpr int PictureSizes[] = {16, 24, 32, 48};

// The picture `name` (as "new" or "quarnel") with every size in PictureSizes, so that each size
// is shown as drawn instead of scaled from another.
QIcon Picture(const QString& name);

} // namespace editor
