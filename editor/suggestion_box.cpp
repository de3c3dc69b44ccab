// The free-text box with suggestions.
#include "suggestion_box.h"

#include "choice_box.h"

#include <QSignalBlocker>
#include <QStyleOptionComboBox>
#include <QWheelEvent>

namespace editor {

TSuggestionBox::TSuggestionBox(QWidget* parent) : QComboBox(parent) {
    setEditable(true);
    // Without the completer the box gives its line edit, typing completes nothing.
    setCompleter(nullptr);
    setFocusPolicy(Qt::StrongFocus);
    setInsertPolicy(QComboBox::NoInsert);
}

void TSuggestionBox::SetEntries(const QStringList& entries) {
    const QSignalBlocker blocker(this);
    const QString text = currentText();
    addItems(entries);
    setEditText(text);
}

void TSuggestionBox::wheelEvent(QWheelEvent* event) {
    if (WheelMayChange(this, event))
        QComboBox::wheelEvent(event);
}

void TSuggestionBox::paintEvent(QPaintEvent*) {
    QStyleOptionComboBox option;
    initStyleOption(&option);
    PaintDropDownBox(this, option);
}

void TSuggestionBox::showPopup() {
    WidenListToEntries(this);
    QComboBox::showPopup();
}

} // namespace editor
