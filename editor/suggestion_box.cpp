// The free-text box with suggestions.
#include "suggestion_box.h"

#include "choice_box.h"

#include <QCompleter>
#include <QCoreApplication>
#include <QLineEdit>
#include <QPointer>
#include <QSignalBlocker>
#include <QStyleOptionComboBox>
#include <QWheelEvent>

namespace editor {

namespace {

// The one completer every box is handed over with; no box keeps it. It lives as long as the
// application, and a later application makes its own.
QCompleter* Placeholder() {
    static QPointer<QCompleter> placeholder;
    if (!placeholder)
        placeholder = new QCompleter(QCoreApplication::instance());
    return placeholder;
}

} // namespace

TSuggestionBox::TSuggestionBox(QWidget* parent) : QComboBox(parent) {
    // Made editable by handing it a line edit: setEditable() would also build the drop-down
    // list's window at once, which otherwise waits until the list first opens. The box would give
    // a line edit without a completer one of its own (a costly one, filtering its entries); the
    // placeholder it finds instead is taken away again at once, so typing completes nothing.
    auto* edit = new QLineEdit(this);
    edit->setPalette(palette());
    edit->setCompleter(Placeholder());
    setLineEdit(edit);
    edit->setCompleter(nullptr);
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
