// The window font.
#include "ui_font.h"

#include <QStringList>

namespace editor {

QFont WindowFont() {
    QFont font;
    // Liberation Sans has the metrics of Arial and Microsoft Sans Serif; the set-up scripts install it.
    font.setFamilies({"MS Sans Serif", "Microsoft Sans Serif", "Liberation Sans", "Arial", "DejaVu Sans"});
    font.setPointSize(8);
    font.setStyleHint(QFont::SansSerif);
    return font;
}

} // namespace editor
