// A spin box whose text is free while typing and whose range applies when it loses the focus.
#pragma once

#include <QAbstractSpinBox>

namespace editor {

class TSpinEdit : public QAbstractSpinBox {
    Q_OBJECT
public:
    TSpinEdit(int minimum, int maximum, QWidget* parent = nullptr);

    int Minimum() const { return minimum_; }
    int Maximum() const { return maximum_; }

    // The text read as an integer, not clamped; the minimum when the text is no integer.
    int Value() const;
    // Shows a value held within the range; raises Changed when the text changes.
    void SetValue(int value);

    void stepBy(int steps) override;

    // What leaving the box does to a typed number: one outside the range becomes the nearest bound
    // (raising Changed). Commands that leave the focus where it is call this first.
    void Settle();

signals:
    // Raised for every change of the text, by the user or by the program.
    void Changed();

protected:
    StepEnabled stepEnabled() const override;
    QValidator::State validate(QString& input, int& pos) const override;
    void fixup(QString& input) const override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    int Clamp(long long value) const;

    int minimum_;
    int maximum_;
};

} // namespace editor
