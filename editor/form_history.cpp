// Undo and redo: the history of the user's changes to the document, one step for each, and the keys
// that walk it.
#include "form1.h"

#include "draw_list_box.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QShortcut>
#include <QToolButton>
#include <QUndoStack>
#include <utility>
#include <variant>

namespace editor {

namespace {

// The most steps the history keeps; beyond it the oldest go.
constexpr int kHistoryLimit = 1000;
// What the steps of a field typed into share, so that the history offers them to each other.
constexpr int kTypingStepId = 1;

// The platform's keys, and the two redo keys users of other editors reach for whatever the platform.
QList<QKeySequence> UndoKeys() {
    QList<QKeySequence> keys = QKeySequence::keyBindings(QKeySequence::Undo);
    if (!keys.contains(QKeySequence(Qt::CTRL | Qt::Key_Z)))
        keys.append(QKeySequence(Qt::CTRL | Qt::Key_Z));
    return keys;
}

QList<QKeySequence> RedoKeys() {
    QList<QKeySequence> keys = QKeySequence::keyBindings(QKeySequence::Redo);
    for (const QKeySequence& extra :
         {QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)})
        if (!keys.contains(extra))
            keys.append(extra);
    return keys;
}

// Asked for every key pressed in a text box.
bool IsHistoryKey(const QKeyEvent& event) {
    static const QList<QKeySequence> undoKeys = UndoKeys();
    static const QList<QKeySequence> redoKeys = RedoKeys();
    const QKeySequence pressed(event.keyCombination());
    return undoKeys.contains(pressed) || redoKeys.contains(pressed);
}

} // namespace

// One change to the document: the records it changed as they stood before and after it. Doing it
// the first time is redo() as well.
class TForm1::TEditStep : public QUndoCommand {
public:
    struct TSlotState {
        int Slot = 0;
        mission::TFlightGroup Group;
    };
    using TState = std::variant<TSlotState, TMissionRecords>;

    TEditStep(TForm1& form, TState before, TState after, QWidget* typedField, int goalRow, bool showWhole)
        : form_(form), before_(std::move(before)), after_(std::move(after)), typedField_(typedField),
          typingRun_(form.typingRun_), goalRow_(goalRow), showWhole_(showWhole) {}

    int id() const override { return typedField_ ? kTypingStepId : -1; }

    // Keystrokes in one field, of one slot, in one run of typing make one step.
    bool mergeWith(const QUndoCommand* other) override {
        const auto& next = static_cast<const TEditStep&>(*other);
        if (next.typedField_ != typedField_ || next.typingRun_ != typingRun_ ||
            next.after_.index() != after_.index())
            return false;
        const auto* slot = std::get_if<TSlotState>(&after_);
        if (slot && std::get<TSlotState>(next.after_).Slot != slot->Slot)
            return false;
        after_ = next.after_;
        return true;
    }

    // The first time, the controls already show the change (the user made it there) and only the
    // lists and team colours follow; Clear FG and Paste FG, and every undo and redo, show it whole.
    void redo() override {
        Apply(after_, showWhole_ || !firstRun_);
        firstRun_ = false;
    }
    void undo() override { Apply(before_, true); }

private:
    // Errors of the display are kept for RunOnHistory: none may pass through the history's code.
    void Apply(const TState& state, bool whole) {
        TForm1& form = form_;
        int shown = form.SelectedIndex;
        if (const auto* slot = std::get_if<TSlotState>(&state)) {
            form.Mission.FlightGroups[static_cast<std::size_t>(slot->Slot)] = slot->Group;
            shown = slot->Slot;
        } else {
            PutRecords(form.Mission, std::get<TMissionRecords>(state));
        }
        try {
            // Colours first: the flight group is shown in its team's colour. A list that stops
            // at a craft without a short name has its colours all the same.
            form.AssignTeamColours();
        } catch (...) {
            form.stepError_ = std::current_exception();
        }
        if (!whole)
            return;
        form.SelectedIndex = shown;
        form.ShipList->SetSelectedRow(shown);
        form.WorkingCopy = form.Mission.FlightGroups[static_cast<std::size_t>(shown)];
        if (goalRow_ >= 0)
            form.TeamListBox->SetSelectedRow(goalRow_);
        // After a list error the command's recovery shows the rest.
        if (form.stepError_)
            return;
        try {
            form.ShowFlightGroup();
            form.ShowMission();
            form.TeamListBoxClick();
        } catch (...) {
            form.stepError_ = std::current_exception();
        }
    }

    TForm1& form_;
    TState before_;
    TState after_;
    QWidget* typedField_;
    int typingRun_;
    int goalRow_;
    bool showWhole_;
    bool firstRun_ = true;
};

TForm1::TMissionRecords TForm1::Records(const mission::TMission& mission) {
    return {mission.Header.HeaderBytes, mission.Settings, mission.Goals, mission.Trailer};
}

void TForm1::PutRecords(mission::TMission& mission, const TMissionRecords& records) {
    mission.Header.HeaderBytes = records.HeaderBytes;
    mission.Settings = records.Settings;
    mission.Goals = records.Goals;
    mission.Trailer = records.Trailer;
}

bool TForm1::IsModified() const {
    return !history_->isClean();
}

void TForm1::PushSlotStep(int slot, const mission::TFlightGroup& after, QWidget* typedField, bool showWhole) {
    TEditStep::TSlotState before{slot, Mission.FlightGroups[static_cast<std::size_t>(slot)]};
    auto* step = new TEditStep(*this, std::move(before), TEditStep::TSlotState{slot, after}, typedField, -1,
                               showWhole);
    RunOnHistory([this, step] { history_->push(step); });
}

void TForm1::PushMissionStep(const TMissionRecords& after, QWidget* typedField, int goalRow) {
    auto* step = new TEditStep(*this, Records(Mission), after, typedField, goalRow, false);
    RunOnHistory([this, step] { history_->push(step); });
}

void TForm1::RunOnHistory(const std::function<void()>& operation) {
    stepError_ = nullptr;
    operation();
    if (std::exception_ptr error = std::exchange(stepError_, nullptr))
        std::rethrow_exception(error);
}

void TForm1::UndoStep() {
    EndTypingRun();
    RunOnHistory([this] { history_->undo(); });
}

void TForm1::RedoStep() {
    EndTypingRun();
    RunOnHistory([this] { history_->redo(); });
}

// The Save button is enabled exactly while the history stands away from the point last saved; New
// and Open start the history again at such a point.
void TForm1::ConnectHistory() {
    history_ = new QUndoStack(this);
    history_->setUndoLimit(kHistoryLimit);
    SaveBtn->setEnabled(false);
    // The button goes before the history when the window closes; the connection goes with it.
    connect(history_, &QUndoStack::cleanChanged, SaveBtn,
            [this](bool clean) { SaveBtn->setEnabled(!clean); });
    // Leaving a field ends its run of typing.
    connect(qApp, &QApplication::focusChanged, this, [this] { EndTypingRun(); });

    // A number being typed into a spin box is settled first, and then undone with the rest of the
    // typing as one step.
    const struct {
        QList<QKeySequence> keys;
        void (TForm1::*step)();
    } shortcuts[] = {{UndoKeys(), &TForm1::UndoStep}, {RedoKeys(), &TForm1::RedoStep}};
    for (const auto& [keys, step] : shortcuts) {
        auto* shortcut = new QShortcut(this);
        shortcut->setKeys(keys);
        shortcut->setContext(Qt::WindowShortcut);
        connect(shortcut, &QShortcut::activated, this, [this, step = step] {
            SettleFocusedField();
            RunCommand([&] { (this->*step)(); });
        });
    }
    for (QWidget* widget : findChildren<QWidget*>())
        if (qobject_cast<QLineEdit*>(widget) || qobject_cast<QComboBox*>(widget) ||
            qobject_cast<QAbstractSpinBox*>(widget))
            widget->installEventFilter(this);
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
