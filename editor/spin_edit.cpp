// The spin box: typed characters are filtered, the range is applied on leaving the box.
#include "spin_edit.h"

#include "choice_box.h"
#include "integer_text.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QLocale>
#include <QWheelEvent>
#include <algorithm>

namespace editor {

TSpinEdit::TSpinEdit(int minimum, int maximum, QWidget* parent)
    : QAbstractSpinBox(parent), minimum_(minimum), maximum_(maximum) {
    setCorrectionMode(QAbstractSpinBox::CorrectToPreviousValue);
    setKeyboardTracking(true);
    setAccelerated(false);
    setFocusPolicy(Qt::StrongFocus);
    lineEdit()->setText(QString::number(minimum));
    connect(lineEdit(), &QLineEdit::textChanged, this, &TSpinEdit::Changed);
}

int TSpinEdit::Value() const {
    return ParseInteger(lineEdit()->text()).value_or(minimum_);
}

int TSpinEdit::Clamp(long long value) const {
    return static_cast<int>(std::clamp<long long>(value, minimum_, maximum_));
}

void TSpinEdit::SetValue(int value) {
    lineEdit()->setText(QString::number(Clamp(value)));
    lineEdit()->setCursorPosition(0);
}

void TSpinEdit::stepBy(int steps) {
    SetValue(Clamp(static_cast<long long>(Value()) + steps));
    lineEdit()->selectAll();
}

QAbstractSpinBox::StepEnabled TSpinEdit::stepEnabled() const {
    StepEnabled enabled = StepNone;
    if (Value() < maximum_)
        enabled |= StepUpEnabled;
    if (Value() > minimum_)
        enabled |= StepDownEnabled;
    return enabled;
}

// The keyboard filter decides what may be typed; whatever reaches the text is kept as it is.
QValidator::State TSpinEdit::validate(QString&, int&) const {
    return QValidator::Acceptable;
}

void TSpinEdit::fixup(QString&) const {}

void TSpinEdit::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
        stepBy(event->key() == Qt::Key_Up || event->key() == Qt::Key_PageUp ? 1 : -1);
        event->accept();
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        QApplication::beep();
        event->accept();
        return;
    default:
        break;
    }
    const QString text = event->text();
    const bool typesCharacter =
        !text.isEmpty() && text[0].isPrint() &&
        !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
    if (typesCharacter) {
        const QChar decimalPoint = QLocale().decimalPoint().front();
        for (const QChar c : text) {
            if (!c.isDigit() && c != u'+' && c != u'-' && c != decimalPoint) {
                QApplication::beep();
                event->accept();
                return;
            }
        }
    }
    QAbstractSpinBox::keyPressEvent(event);
}

void TSpinEdit::wheelEvent(QWheelEvent* event) {
    if (WheelMayChange(this, event))
        QAbstractSpinBox::wheelEvent(event);
}

void TSpinEdit::Settle() {
    const int typed = Value();
    if (Clamp(typed) != typed)
        SetValue(typed);
}

void TSpinEdit::focusOutEvent(QFocusEvent* event) {
    Settle();
    QAbstractSpinBox::focusOutEvent(event);
}

} // namespace editor
