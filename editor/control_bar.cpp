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
        // A grip of two raised lines just left of the band.
        const int x = band->x() - 8;
        for (const int dx : {0, 3}) {
            painter.setPen(pal.color(QPalette::Light));
            painter.drawLine(x + dx, band->y() + 1, x + dx, band->y() + band->height() - 2);
            painter.setPen(pal.color(QPalette::Dark));
            painter.drawLine(x + dx + 1, band->y() + 1, x + dx + 1, band->y() + band->height() - 2);
        }
    }
    painter.setPen(pal.color(QPalette::Dark));
    painter.drawLine(0, height() - 2, width(), height() - 2);
    painter.setPen(pal.color(QPalette::Light));
    painter.drawLine(0, height() - 1, width(), height() - 1);
}

} // namespace editor
