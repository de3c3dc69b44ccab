// The classic Windows style with filled edges. Where it draws a control itself (fields, lists,
// drop-down and spin boxes, bevels, the group box frame), it follows Qt's own Windows style step
// by step; only the edges are filled.
#include "classic_style.h"

#include <QAbstractSpinBox>
#include <QFrame>
#include <QPainter>
#include <QPalette>
#include <QStyleOptionComboBox>
#include <QStyleOptionFrame>
#include <QStyleOptionSpinBox>
#include <qdrawutil.h>

namespace appearance {

namespace {

// Stroked with a one-pixel pen, an edge's lines cover exactly these rectangles; they do not
// overlap, so the order of filling does not matter. At another pixel ratio, or turned or scaled,
// Qt's own drawing is used, which rounds to device pixels its own way.
bool FillsWhatStrokingCovers(const QPainter* painter) {
    return painter->device()->devicePixelRatio() == 1.0 &&
           painter->transform().type() <= QTransform::TxTranslate;
}

// Outer top and left, outer bottom and right, inner top and left, inner bottom and right.
void FillShades(QPainter* painter, const QRect& rect, const QColor& c1, const QColor& c2, const QColor& c3,
                const QColor& c4, const QBrush* fill) {
    const int x = rect.x(), y = rect.y(), w = rect.width(), h = rect.height();
    if (w < 2 || h < 2)
        return;
    painter->fillRect(x, y, 1, h - 1, c1);
    painter->fillRect(x + 1, y, w - 2, 1, c1);
    painter->fillRect(x, y + h - 1, w, 1, c2);
    painter->fillRect(x + w - 1, y, 1, h - 1, c2);
    if (w > 4 && h > 4) {
        painter->fillRect(x + 1, y + 1, 1, h - 3, c3);
        painter->fillRect(x + 2, y + 1, w - 4, 1, c3);
        painter->fillRect(x + 1, y + h - 2, w - 2, 1, c4);
        painter->fillRect(x + w - 2, y + 1, 1, h - 3, c4);
        if (fill)
            painter->fillRect(QRect(x + 2, y + 2, w - 4, h - 4), *fill);
    }
}

// The one-pixel etched rectangle of bevels and group boxes, as Qt's qDrawShadeRect draws it with
// a line width of 1 and no middle line.
void DrawShadeRect(QPainter* painter, const QRect& rect, const QPalette& palette, bool sunken) {
    const int x = rect.x(), y = rect.y(), w = rect.width(), h = rect.height();
    // The rectangle is an outline drawn with the painter's brush; a brush would fill it.
    if (!FillsWhatStrokingCovers(painter) || painter->brush().style() != Qt::NoBrush || w < 4 || h < 4) {
        qDrawShadeRect(painter, rect, palette, sunken, 1, 0);
        return;
    }
    const QColor outer = sunken ? palette.dark().color() : palette.light().color();
    const QColor inner = sunken ? palette.light().color() : palette.dark().color();
    // A rectangle one pixel in from the bottom right, then the lines that etch it.
    painter->fillRect(x, y, w - 1, 1, outer);
    painter->fillRect(x, y + h - 2, w - 1, 1, outer);
    painter->fillRect(x, y + 1, 1, h - 3, outer);
    painter->fillRect(x + w - 2, y + 1, 1, h - 3, outer);
    painter->fillRect(x + 1, y + 1, w - 3, 1, inner);
    painter->fillRect(x + 1, y + 2, 1, h - 4, inner);
    painter->fillRect(x, y + h - 1, w, 1, inner);
    painter->fillRect(x + w - 1, y, 1, h - 1, inner);
}

// A panel one pixel deep, as Qt's qDrawShadePanel draws it with a line width of 1 and no fill.
void DrawShadePanel(QPainter* painter, const QRect& rect, const QPalette& palette, bool sunken) {
    const int x = rect.x(), y = rect.y(), w = rect.width(), h = rect.height();
    if (!FillsWhatStrokingCovers(painter) || w < 2 || h < 2) {
        qDrawShadePanel(painter, rect, palette, sunken, 1);
        return;
    }
    const QColor topLeft = sunken ? palette.dark().color() : palette.light().color();
    const QColor bottomRight = sunken ? palette.light().color() : palette.dark().color();
    painter->fillRect(x, y, w - 1, 1, topLeft);
    painter->fillRect(x, y + 1, 1, h - 2, topLeft);
    painter->fillRect(x, y + h - 1, w, 1, bottomRight);
    painter->fillRect(x + w - 1, y, 1, h - 1, bottomRight);
}

// The classic two-pixel edges, as Qt's qDrawWinPanel and qDrawWinButton draw them: a panel (a
// field's or a list's edge) or a button, sunken or raised, its inside filled with fill when given.
void DrawWinPanel(QPainter* painter, const QRect& rect, const QPalette& palette, bool sunken,
                  const QBrush* fill = nullptr) {
    if (!FillsWhatStrokingCovers(painter))
        qDrawWinPanel(painter, rect, palette, sunken, fill);
    else if (sunken)
        FillShades(painter, rect, palette.dark().color(), palette.light().color(), palette.shadow().color(),
                   palette.midlight().color(), fill);
    else
        FillShades(painter, rect, palette.light().color(), palette.shadow().color(),
                   palette.midlight().color(), palette.dark().color(), fill);
}

void DrawWinButton(QPainter* painter, const QRect& rect, const QPalette& palette, bool sunken,
                   const QBrush* fill = nullptr) {
    if (!FillsWhatStrokingCovers(painter))
        qDrawWinButton(painter, rect, palette, sunken, fill);
    else if (sunken)
        FillShades(painter, rect, palette.shadow().color(), palette.light().color(), palette.dark().color(),
                   palette.button().color(), fill);
    else
        FillShades(painter, rect, palette.light().color(), palette.shadow().color(), palette.button().color(),
                   palette.dark().color(), fill);
}

} // namespace

TClassicStyle::TClassicStyle() : QProxyStyle(QStringLiteral("Windows")) {}

void TClassicStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                                  const QWidget* widget) const {
    const auto* frame = qstyleoption_cast<const QStyleOptionFrame*>(option);
    // A group box's etched frame.
    if (element == PE_FrameGroupBox && frame && !(frame->features & QStyleOptionFrame::Flat) &&
        frame->lineWidth == 1 && frame->midLineWidth == 0) {
        DrawShadeRect(painter, frame->rect, frame->palette, true);
        return;
    }
    // The edge of fields and lists (a line edit's frame is drawn as this one).
    if (element != PE_Frame || !frame) {
        QProxyStyle::drawPrimitive(element, option, painter, widget);
        return;
    }
    QPalette palette = frame->palette;
    const bool sunken = frame->state & State_Sunken;
    if (frame->state & State_Raised) {
        DrawWinButton(painter, frame->rect, palette, sunken);
    } else {
        if (sunken)
            palette.setColor(QPalette::Midlight, frame->palette.window().color());
        DrawWinPanel(painter, frame->rect, palette, sunken);
    }
}

void TClassicStyle::drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                                const QWidget* widget) const {
    // A bevel: an etched box, or a panel one pixel deep.
    const auto* frame = qstyleoption_cast<const QStyleOptionFrame*>(option);
    if (element == CE_ShapedFrame && frame && (frame->state & (State_Sunken | State_Raised)) &&
        frame->lineWidth == 1) {
        if (frame->frameShape == QFrame::Box && frame->midLineWidth == 0) {
            DrawShadeRect(painter, frame->rect, frame->palette, frame->state & State_Sunken);
            return;
        }
        if (frame->frameShape == QFrame::Panel) {
            DrawShadePanel(painter, frame->rect, frame->palette, frame->state & State_Sunken);
            return;
        }
    }
    QProxyStyle::drawControl(element, option, painter, widget);
}

void TClassicStyle::drawComplexControl(ComplexControl control, const QStyleOptionComplex* option,
                                       QPainter* painter, const QWidget* widget) const {
    if (const auto* spin = qstyleoption_cast<const QStyleOptionSpinBox*>(option);
        control == CC_SpinBox && spin) {
        DrawSpinBox(*spin, painter, widget);
        return;
    }
    const auto* box = qstyleoption_cast<const QStyleOptionComboBox*>(option);
    if (control != CC_ComboBox || !box) {
        QProxyStyle::drawComplexControl(control, option, painter, widget);
        return;
    }
    const QBrush field = box->palette.brush(QPalette::Button);
    if (box->subControls & SC_ComboBoxFrame) {
        if (box->frame) {
            QPalette shade = box->palette;
            shade.setColor(QPalette::Midlight, shade.button().color());
            DrawWinPanel(painter, box->rect, shade, true, &field);
        } else {
            painter->fillRect(box->rect, field);
        }
    }
    if (box->subControls & SC_ComboBoxArrow) {
        QRect arrowRect = proxy()->subControlRect(CC_ComboBox, box, SC_ComboBoxArrow, widget);
        const bool pressed = box->activeSubControls == SC_ComboBoxArrow && (box->state & State_Sunken);
        if (pressed) {
            painter->setPen(box->palette.dark().color());
            painter->setBrush(box->palette.brush(QPalette::Button));
            painter->drawRect(arrowRect.adjusted(0, 0, -1, -1));
        } else {
            // The button's shades swap the button colour and the light one.
            QPalette shade = box->palette;
            shade.setColor(QPalette::Button, box->palette.light().color());
            shade.setColor(QPalette::Light, box->palette.button().color());
            DrawWinButton(painter, arrowRect, shade, false, &box->palette.brush(QPalette::Button));
        }
        arrowRect.adjust(2, 2, -2, -2);
        QStyleOption arrow = *box;
        arrow.rect = arrowRect.adjusted(1, 1, -1, -1);
        arrow.state = (box->state & (State_Enabled | State_HasFocus)) | (pressed ? State_Sunken : State_None);
        proxy()->drawPrimitive(PE_IndicatorArrowDown, &arrow, painter, widget);
    }
    if (box->subControls & SC_ComboBoxEditField) {
        const bool focused = box->state & State_HasFocus;
        if (focused && !box->editable)
            painter->fillRect(proxy()->subControlRect(CC_ComboBox, box, SC_ComboBoxEditField, widget),
                              box->palette.brush(QPalette::Highlight));
        painter->setPen(focused ? box->palette.highlightedText().color() : box->palette.text().color());
        painter->setBackground(focused ? box->palette.highlight() : box->palette.window());
        if (focused && !box->editable) {
            QStyleOptionFocusRect focus;
            focus.QStyleOption::operator=(*box);
            focus.rect = proxy()->subElementRect(SE_ComboBoxFocusRect, box, widget);
            focus.state |= State_FocusAtBorder;
            focus.backgroundColor = box->palette.highlight().color();
            proxy()->drawPrimitive(PE_FrameFocusRect, &focus, painter, widget);
        }
    }
}

void TClassicStyle::DrawSpinBox(const QStyleOptionSpinBox& spin, QPainter* painter,
                                const QWidget* widget) const {
    if (spin.frame && (spin.subControls & SC_SpinBoxFrame)) {
        QPalette shade = spin.palette;
        shade.setColor(QPalette::Midlight, shade.button().color());
        const QBrush field = spin.palette.brush(QPalette::Base);
        DrawWinPanel(painter, proxy()->subControlRect(CC_SpinBox, &spin, SC_SpinBoxFrame, widget), shade,
                     true, &field);
    }
    // The buttons' shades swap the button colour and the light one.
    QPalette shade = spin.palette;
    shade.setColor(QPalette::Button, spin.palette.light().color());
    shade.setColor(QPalette::Light, spin.palette.button().color());
    const bool enabled = spin.state & State_Enabled;
    struct TButton {
        SubControl Part;
        QAbstractSpinBox::StepEnabledFlag Step;
        PrimitiveElement Arrow, Sign;
        QMargins Inset; // from the button's edges to the arrow's
    };
    const TButton buttons[] = {
        {SC_SpinBoxUp,
         QAbstractSpinBox::StepUpEnabled,
         PE_IndicatorSpinUp,
         PE_IndicatorSpinPlus,
         {4, 1, 5, 1}},
        {SC_SpinBoxDown,
         QAbstractSpinBox::StepDownEnabled,
         PE_IndicatorSpinDown,
         PE_IndicatorSpinMinus,
         {4, 0, 5, 1}},
    };
    for (const TButton& button : buttons) {
        if (!(spin.subControls & button.Part))
            continue;
        QStyleOptionSpinBox part = spin;
        part.subControls = button.Part;
        const bool stepAllowed = spin.stepEnabled & button.Step;
        if (!stepAllowed) {
            part.palette.setCurrentColorGroup(QPalette::Disabled);
            part.state &= ~State_Enabled;
        }
        if (spin.activeSubControls == button.Part && (spin.state & State_Sunken))
            part.state |= State_On | State_Sunken;
        else
            part.state = (part.state | State_Raised) & ~State_Sunken;
        const PrimitiveElement arrow =
            spin.buttonSymbols == QAbstractSpinBox::PlusMinus ? button.Sign : button.Arrow;
        part.rect = proxy()->subControlRect(CC_SpinBox, &spin, button.Part, widget);
        DrawWinButton(painter, part.rect, shade, part.state & (State_Sunken | State_On),
                      &part.palette.brush(QPalette::Button));
        part.rect = part.rect.marginsRemoved(button.Inset);
        // A step that cannot be taken shows its arrow etched.
        if ((!enabled || !stepAllowed) && proxy()->styleHint(SH_EtchDisabledText, &spin, widget)) {
            QStyleOptionSpinBox etched = part;
            etched.rect.translate(1, 1);
            etched.palette.setBrush(QPalette::ButtonText, part.palette.light());
            proxy()->drawPrimitive(arrow, &etched, painter, widget);
        }
        proxy()->drawPrimitive(arrow, &part, painter, widget);
    }
}

} // namespace appearance
