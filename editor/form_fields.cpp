// Field editing: each control finds its field through its binding; the flight group clipboard.
#include "form1.h"

#include "ansi_text.h"
#include "characters.h"
#include "choice_box.h"
#include "draw_list_box.h"
#include "integer_text.h"
#include "spin_edit.h"
#include "suggestion_box.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QScopedValueRollback>
#include <QToolButton>
#include <algorithm>

namespace editor {

namespace {

constexpr std::int32_t kDefaultTeamCount = 2;

// The first count characters of a text; a surrogate pair counts as one character.
QString FirstCharacters(const QString& text, int count) {
    const std::u16string_view units(reinterpret_cast<const char16_t*>(text.utf16()),
                                    static_cast<std::size_t>(text.size()));
    return text.left(static_cast<qsizetype>(text::FirstCharacters(units, static_cast<std::size_t>(count))));
}

} // namespace

int TForm1::ControlValue(QWidget* control) const {
    // The team count's free text reads as its number, or the default count when it is none.
    if (const auto* freeText = qobject_cast<const TSuggestionBox*>(control))
        return ParseInteger(freeText->currentText()).value_or(kDefaultTeamCount);
    if (const auto* box = qobject_cast<const QComboBox*>(control))
        return box->currentIndex();
    // Held within the box's range at once, as the box itself shows it once left: a value typed
    // out of range and saved while the box has the focus must not be stored wrapped.
    if (const auto* spin = qobject_cast<const TSpinEdit*>(control))
        return std::clamp(spin->Value(), spin->Minimum(), spin->Maximum());
    if (const auto* check = qobject_cast<const QCheckBox*>(control))
        return check->isChecked() ? 1 : 0;
    if (const auto* edit = qobject_cast<const QLineEdit*>(control))
        return ParseInteger(edit->text()).value_or(0);
    return 0;
}

int TForm1::ControlTag(QWidget* control) const {
    return control ? control->property("tag").toInt() : 0;
}

// A bound control's value becomes a step on the history. While the program fills the controls
// (ControlsLive false) nothing is stored: the value the control then shows is the stored one.
void TForm1::BoundFieldChange(QWidget* sender) {
    if (!ControlsLive)
        return;
    const TFieldBinding& binding = kFieldBindings[BindingRow(sender->objectName())];
    mission::TMission after = document_.Mission();
    binding.Store(after, after.FlightGroups[static_cast<std::size_t>(SelectedIndex)],
                  ControlValue(sender) - binding.Field.ShownOffset);
    // Drop-down lists and the check box make a step of each change; the fields typed into, spin
    // boxes included, make one step of a run of keystrokes.
    const TControlKind kind = binding.Kind();
    const bool typed = kind != TControlKind::DropDown && kind != TControlKind::Check;
    StoreEdit(after, binding.InFlightGroup, typed ? sender : nullptr);
}

void TForm1::StoreEdit(const mission::TMission& after, bool inFlightGroup, const void* typedField) {
    const QScopedValueRollback shown(editShown_, true);
    if (inFlightGroup)
        document_.EditSlot(SelectedIndex, after.FlightGroups[static_cast<std::size_t>(SelectedIndex)],
                           typedField);
    else
        document_.EditRecords(after, typedField);
}

void TForm1::NameBoxChange() {
    if (!ControlsLive)
        return;
    const QString name = FirstCharacters(NameBox->currentText(), static_cast<int>(mission::kNameSize));
    mission::TMission after = document_.Mission();
    text::SetFieldText(after.FlightGroups[static_cast<std::size_t>(SelectedIndex)].Name,
                       text::UnicodeToAnsi(name.toStdU16String()));
    StoreEdit(after, true, NameBox);
}

void TForm1::GoalBoxChange() {
    if (!ControlsLive)
        return;
    // Only the first eight rows have a goal behind them; with no such row there is nothing to change.
    const int row = TeamListBox->SelectedRow();
    if (row < 0 || row >= mission::kTeamGoalCount)
        return;
    mission::TMission after = document_.Mission();
    after.Goals.TeamGoal[static_cast<std::size_t>(row)] = GoalBox->currentIndex();
    StoreEdit(after, false, nullptr);
}

void TForm1::ClearFGBtnClick() {
    const auto slot = static_cast<std::size_t>(SelectedIndex);
    mission::TMission scratch;
    scratch.FlightGroups[slot] = document_.Mission().FlightGroups[slot];
    mission::ClearFlightGroup(scratch, SelectedIndex);
    document_.EditSlot(SelectedIndex, scratch.FlightGroups[slot]);
}

// Takes the group as the controls show it: the document's slot, with every edit made since it was
// selected.
void TForm1::CopyBtnClick() {
    document_.EndTypingRun();
    ClipboardGroup = document_.Mission().FlightGroups[static_cast<std::size_t>(SelectedIndex)];
    PasteBtn->setEnabled(true);
}

void TForm1::PasteBtnClick() {
    document_.EditSlot(SelectedIndex, ClipboardGroup);
}

void TForm1::ConnectHandlers() {
    const auto command = [this](auto* control, auto signal, auto handler) {
        connect(control, signal, this, [this, handler] { RunCommand([&] { (this->*handler)(); }); });
    };
    // Each bound control's change, by its kind: a pick, typed text, a tick, a number.
    for (QWidget* control : boundControls_) {
        const auto change = [this, control] { RunCommand([&] { BoundFieldChange(control); }); };
        if (auto* box = qobject_cast<TChoiceBox*>(control))
            connect(box, &TChoiceBox::Changed, this, change);
        else if (auto* freeText = qobject_cast<QComboBox*>(control))
            connect(freeText, &QComboBox::editTextChanged, this, change);
        else if (auto* check = qobject_cast<QCheckBox*>(control))
            connect(check, &QCheckBox::toggled, this, change);
        else if (auto* spin = qobject_cast<TSpinEdit*>(control))
            connect(spin, &TSpinEdit::Changed, this, change);
        else
            connect(static_cast<QLineEdit*>(control), &QLineEdit::textChanged, this, change);
    }
    command(NameBox, &QComboBox::editTextChanged, &TForm1::NameBoxChange);
    command(GoalBox, &TChoiceBox::Changed, &TForm1::GoalBoxChange);

    command(ShipList, &TDrawListBox::Clicked, &TForm1::ShipListClick);
    command(TeamListBox, &TDrawListBox::Clicked, &TForm1::TeamListBoxClick);
    ShipList->SetDrawItemHandler([this](QPainter& p, int row, const QRect& r, bool selected) {
        ShipListDrawItem(p, row, r, selected);
    });
    TeamListBox->SetDrawItemHandler([this](QPainter& p, int row, const QRect& r, bool selected) {
        TeamListBoxDrawItem(p, row, r, selected);
    });

    command(NewBtn, &QToolButton::clicked, &TForm1::NewBtnClick);
    command(LoadBtn, &QToolButton::clicked, &TForm1::LoadBtnClick);
    command(SaveAsBtn, &QToolButton::clicked, &TForm1::SaveAsBtnClick);
    command(SaveBtn, &QToolButton::clicked, &TForm1::SaveBtnClick);
    command(ClearFGBtn, &QToolButton::clicked, &TForm1::ClearFGBtnClick);
    command(CopyBtn, &QToolButton::clicked, &TForm1::CopyBtnClick);
    command(PasteBtn, &QToolButton::clicked, &TForm1::PasteBtnClick);
    command(AboutBtn, &QToolButton::clicked, &TForm1::AboutBtnClick);
    command(HomeBtn, &QToolButton::clicked, &TForm1::HomeBtnClick);
}

} // namespace editor
