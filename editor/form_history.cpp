// The window's side of the document's history: the keys that walk it, and the display of each step.
#include "form1.h"

#include "draw_list_box.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QShortcut>
#include <QToolButton>
#include <algorithm>

namespace editor {

namespace {

// The platform's keys, and those users of other editors reach for whatever the platform.
QList<QKeySequence> Keys(QKeySequence::StandardKey step, std::initializer_list<QKeyCombination> usual) {
    QList<QKeySequence> keys = QKeySequence::keyBindings(step);
    for (const QKeyCombination key : usual)
        if (!keys.contains(QKeySequence(key)))
            keys.append(QKeySequence(key));
    return keys;
}

QList<QKeySequence> UndoKeys() {
    return Keys(QKeySequence::Undo, {Qt::CTRL | Qt::Key_Z});
}

QList<QKeySequence> RedoKeys() {
    return Keys(QKeySequence::Redo, {Qt::CTRL | Qt::Key_Y, Qt::CTRL | Qt::SHIFT | Qt::Key_Z});
}

// Asked for every key pressed in a text box.
bool IsHistoryKey(const QKeyEvent& event) {
    static const QList<QKeySequence> undoKeys = UndoKeys();
    static const QList<QKeySequence> redoKeys = RedoKeys();
    const QKeySequence pressed(event.keyCombination());
    return undoKeys.contains(pressed) || redoKeys.contains(pressed);
}

} // namespace

// The window follows the document: the title its file name, the Save button its modified state, the
// lists and controls each step of its history.
void TForm1::ConnectDocument() {
    SaveBtn->setEnabled(false);
    connect(&document_, &document::TMissionDocument::ModifiedChanged, this,
            [this](bool modified) { SaveBtn->setEnabled(modified); });
    connect(&document_, &document::TMissionDocument::FileNameChanged, this, &TForm1::UpdateTitle);
    connect(&document_, &document::TMissionDocument::SlotChanged, this,
            [this](int slot) { ShowStep(slot, -1); });
    connect(&document_, &document::TMissionDocument::RecordsChanged, this,
            [this] { ShowStep(SelectedIndex, ChangedGoalRow()); });
    // Leaving a field ends its run of typing.
    connect(qApp, &QApplication::focusChanged, this, [this] { document_.EndTypingRun(); });

    // A number being typed into a spin box is settled first, and then undone with the rest of the
    // typing as one step.
    const struct {
        QList<QKeySequence> keys;
        void (document::TMissionDocument::*step)();
    } shortcuts[] = {{UndoKeys(), &document::TMissionDocument::Undo},
                     {RedoKeys(), &document::TMissionDocument::Redo}};
    for (const auto& [keys, step] : shortcuts) {
        auto* shortcut = new QShortcut(this);
        shortcut->setKeys(keys);
        shortcut->setContext(Qt::WindowShortcut);
        connect(shortcut, &QShortcut::activated, this, [this, step = step] {
            SettleFocusedField();
            RunCommand([&] { (document_.*step)(); });
        });
    }
    for (QWidget* widget : findChildren<QWidget*>())
        if (qobject_cast<QLineEdit*>(widget) || qobject_cast<QComboBox*>(widget) ||
            qobject_cast<QAbstractSpinBox*>(widget))
            widget->installEventFilter(this);
}

// Errors of the display are kept for RunCommand: none may pass through the document's or Qt's code.
void TForm1::ShowStep(int slot, int goalRow) {
    try {
        // The lists first: the flight group is shown in its team's colour. A list that stops at a
        // craft without a short name has its colours all the same.
        UpdateLists();
    } catch (...) {
        displayError_ = std::current_exception();
    }
    if (editShown_)
        return;
    SelectedIndex = slot;
    ShipList->SetSelectedRow(slot);
    WorkingCopy = document_.Mission().FlightGroups[static_cast<std::size_t>(slot)];
    if (goalRow >= 0)
        TeamListBox->SetSelectedRow(goalRow);
    // After a list error the command's recovery shows the rest.
    if (displayError_)
        return;
    try {
        ShowFlightGroup();
        ShowMission();
        TeamListBoxClick();
    } catch (...) {
        displayError_ = std::current_exception();
    }
}

int TForm1::ChangedGoalRow() const {
    const auto& goals = document_.Mission().Goals.TeamGoal;
    const auto changed = std::mismatch(goals.begin(), goals.end(), shownGoals_.TeamGoal.begin()).first;
    return changed == goals.end() ? -1 : static_cast<int>(changed - goals.begin());
}

// A text box claims the undo and redo keys for its own letter-wise undo; the window's history
// takes them instead.
bool TForm1::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::ShortcutOverride && IsHistoryKey(static_cast<const QKeyEvent&>(*event))) {
        event->ignore();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace editor
