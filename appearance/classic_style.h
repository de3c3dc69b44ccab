// The classic Windows style, its three-dimensional edges filled instead of stroked.
#pragma once

#include <QProxyStyle>

class QPainter;
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

} // namespace appearance
