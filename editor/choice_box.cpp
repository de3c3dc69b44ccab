// The choice-only drop-down list.
#include "choice_box.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QStyleOptionComboBox>
#include <QStylePainter>
#include <QWheelEvent>
#include <algorithm>

namespace editor {

bool WheelMayChange(QWidget* box, QWheelEvent* event) {
    if (box->hasFocus())
        return true;
    event->ignore();
    return false;
}

TChoiceBox::TChoiceBox(QWidget* parent) : QComboBox(parent) {
    setEditable(false);
    setFocusPolicy(Qt::StrongFocus);
    connect(this, &QComboBox::activated, this, &TChoiceBox::Changed);
}

void TChoiceBox::SetEntries(const QStringList& entries) {
    const QSignalBlocker blocker(this);
    clear();
    addItems(entries);
}

void TChoiceBox::showPopup() {
    WidenListToEntries(this);
    QComboBox::showPopup();
}

void TChoiceBox::paintEvent(QPaintEvent*) {
    QStyleOptionComboBox option;
    initStyleOption(&option);
    PaintDropDownBox(this, option);
}

void TChoiceBox::wheelEvent(QWheelEvent* event) {
    if (WheelMayChange(this, event))
        QComboBox::wheelEvent(event);
}

void WidenListToEntries(QComboBox* box) {
    // The open list shows every entry whole, even where the closed box is narrower.
    QAbstractItemView* list = box->view();
    const int widest = list->sizeHintForColumn(0) + list->verticalScrollBar()->sizeHint().width() + 8;
    list->setMinimumWidth(std::max(box->width(), widest));
}

void PaintDropDownBox(QComboBox* box, const QStyleOptionComboBox& option) {
    QStylePainter painter(box);
    painter.setPen(box->palette().color(QPalette::Text));
    // The classic style fills a list's field with the button colour; here it is the box's own.
    QStyleOptionComboBox field = option;
    field.palette.setBrush(QPalette::Button, option.palette.brush(QPalette::Base));
    field.subControls &= ~QStyle::SC_ComboBoxArrow;
    painter.drawComplexControl(QStyle::CC_ComboBox, field);
    QStyleOptionComboBox arrow = option;
    arrow.palette = QApplication::palette(box);
    arrow.subControls = QStyle::SC_ComboBoxArrow;
    painter.drawComplexControl(QStyle::CC_ComboBox, arrow);
    painter.setPen(box->palette().color(QPalette::Text));
    painter.drawControl(QStyle::CE_ComboBoxLabel, option);
}

void TChoiceBox::SetSelection(int position) {
    const QSignalBlocker blocker(this);
    setCurrentIndex(position >= 0 && position < count() ? position : -1);
}

} // namespace editor
