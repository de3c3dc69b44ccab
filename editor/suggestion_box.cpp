// The free-text box with suggestions.
#include "suggestion_box.h"

#include "ansi_text.h"
#include "choice_box.h"

#include <QSignalBlocker>
#include <QStyleOptionComboBox>
#include <QWheelEvent>

namespace editor {

TSuggestionBox::TSuggestionBox(QWidget* parent) : QComboBox(parent) {
    setEditable(true);
    setFocusPolicy(Qt::StrongFocus);
    setInsertPolicy(QComboBox::NoInsert);
    setCompleter(nullptr);
}

void TSuggestionBox::SetEntries(std::span<const std::string_view> entries) {
    const QSignalBlocker blocker(this);
    const QString text = currentText();
    for (const std::string_view entry : entries)
        addItem(QString::fromStdU16String(text::AnsiToUnicode(entry)));
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
