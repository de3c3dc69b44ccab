// The classic Windows style, its three-dimensional edges filled instead of stroked.
#pragma once

#include <QProxyStyle>

class QBrush;
class QPainter;
class QPalette;
class QRect;
class QStyleOptionSpinBox;

namespace appearance {

// Qt's classic "Windows" style, pixel for pixel. Only the edges of fields, lists, drop-down and
// spin boxes, bevels and group boxes are drawn differently: as one-pixel rectangles, where the
// style strokes them as lines one pixel at a time. The window's first frame draws some sixty of
// these edges, and stroking them took about a quarter of its painting.
class TClassicStyle : public QProxyStyle {
public:
    TClassicStyle();

    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget = nullptr) const override;
    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget = nullptr) const override;
    void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option, QPainter* painter,
                            const QWidget* widget = nullptr) const override;

private:
    void DrawSpinBox(const QStyleOptionSpinBox& spin, QPainter* painter, const QWidget* widget) const;
};

// The one-pixel etched rectangle of bevels and group boxes, as Qt's qDrawShadeRect draws it with
// a line width of 1 and no middle line.
void DrawShadeRect(QPainter* painter, const QRect& rect, const QPalette& palette, bool sunken);

// A panel one pixel deep, as Qt's qDrawShadePanel draws it with a line width of 1 and no fill.
void DrawShadePanel(QPainter* painter, const QRect& rect, const QPalette& palette, bool sunken);

// The classic two-pixel edges, as Qt's qDrawWinPanel and qDrawWinButton draw them: a panel (a
// field's or a list's edge) or a button, sunken or raised, its inside filled with fill when given.
void DrawWinPanel(QPainter* painter, const QRect& rect, const QPalette& palette, bool sunken,
                  const QBrush* fill = nullptr);
void DrawWinButton(QPainter* painter, const QRect& rect, const QPalette& palette, bool sunken,
                   const QBrush* fill = nullptr);

} // namespace appearance
