// Paints the band grips to the left of each toolbar and the bevel line along the bottom edge.
#include "control_bar.h"

#include <QPainter>
#include <QStyleOption>

namespace editor {

TControlBar::TControlBar(QWidget* parent) : QWidget(parent) {
    setFocusPolicy(Qt::NoFocus);
}

void TControlBar::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QPalette& pal = palette();
    for (const QObject* child : children()) {
        const auto* band = qobject_cast<const QWidget*>(child);
        if (!band)
            continue;
        // A grip of two raised lines just left of the band. Lines one pixel wide are filled:
        // stroking draws them a pixel at a time.
        const int x = band->x() - 8;
        for (const int dx : {0, 3}) {
            painter.fillRect(x + dx, band->y() + 1, 1, band->height() - 2, pal.color(QPalette::Light));
            painter.fillRect(x + dx + 1, band->y() + 1, 1, band->height() - 2, pal.color(QPalette::Dark));
        }
    }
    painter.fillRect(0, height() - 2, width(), 1, pal.color(QPalette::Dark));
    painter.fillRect(0, height() - 1, width(), 1, pal.color(QPalette::Light));
}

} // namespace editor
