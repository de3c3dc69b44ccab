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
#include <QToolButton>
#include <algorithm>

namespace editor {

namespace {

constexpr std::int32_t kDefaultTeamCount = 2;

bool HasTag(const QWidget* control) {
    return qobject_cast<const QComboBox*>(control) || qobject_cast<const TSpinEdit*>(control) ||
           qobject_cast<const QCheckBox*>(control) || qobject_cast<const QLineEdit*>(control);
}

// The first count characters of a text; a surrogate pair counts as one character.
QString FirstCharacters(const QString& text, int count) {
    const std::u16string_view units(reinterpret_cast<const char16_t*>(text.utf16()),
                                    static_cast<std::size_t>(text.size()));
    return text.left(static_cast<qsizetype>(text::FirstCharacters(units, static_cast<std::size_t>(count))));
}

} // namespace

int TForm1::ControlValue(QWidget* control) const {
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
    return control && HasTag(control) ? control->property("tag").toInt() : 0;
}

// A bound control's value becomes a step on the history. While the program fills the controls
// (ControlsLive false) nothing is stored: the value the control then shows is the stored one.
void TForm1::BoundFieldChange(QWidget* sender) {
    const TFieldBinding* binding = FindBinding(sender->objectName());
    if (!ControlsLive || !binding)
        return;
    const int value = ControlValue(sender) - binding->Offset;
    const mission::TMission& mission = document_.Mission();
    // Drop-down lists and the check box make a step of each change; the fields typed into, spin
    // boxes included, make one step of a run of keystrokes.
    const QWidget* typed =
        qobject_cast<QComboBox*>(sender) || qobject_cast<QCheckBox*>(sender) ? nullptr : sender;
    // The field is set in a copy of the records the step changes.
    mission::TMission scratch;
    document::PutRecords(scratch, document::Records(mission));
    const auto slot = static_cast<std::size_t>(SelectedIndex);
    scratch.FlightGroups[slot] = mission.FlightGroups[slot];
    binding->Store(scratch, scratch.FlightGroups[slot], value);
    if (binding->InFlightGroup)
        document_.EditSlot(SelectedIndex, scratch.FlightGroups[slot], typed);
    else
        document_.EditRecords(document::Records(scratch), typed);
}

void TForm1::NameBoxChange() {
    if (!ControlsLive)
        return;
    const QString name = FirstCharacters(NameBox->currentText(), static_cast<int>(mission::kNameSize));
    mission::TFlightGroup after = document_.Mission().FlightGroups[static_cast<std::size_t>(SelectedIndex)];
    text::SetFieldText(after.Name, text::UnicodeToAnsi(name.toStdU16String()));
    document_.EditSlot(SelectedIndex, after, NameBox);
}

void TForm1::NumTeamsBoxChange() {
    if (!ControlsLive)
        return;
    document::TMissionRecords after = document::Records(document_.Mission());
    after.Settings.TeamCount = ParseInteger(NumTeamsBox->currentText()).value_or(kDefaultTeamCount);
    document_.EditRecords(after, NumTeamsBox);
}

void TForm1::GoalBoxChange() {
    if (!ControlsLive)
        return;
    // Only the first eight rows have a goal behind them; with no such row there is nothing to change.
    const int row = TeamListBox->SelectedRow();
    if (row < 0 || row >= mission::kTeamGoalCount)
        return;
    document::TMissionRecords after = document::Records(document_.Mission());
    after.Goals.TeamGoal[static_cast<std::size_t>(row)] = GoalBox->currentIndex();
    document_.EditRecords(after, nullptr, row);
}

void TForm1::ClearFGBtnClick() {
    const auto slot = static_cast<std::size_t>(SelectedIndex);
    mission::TMission scratch;
    scratch.FlightGroups[slot] = document_.Mission().FlightGroups[slot];
    mission::ClearFlightGroup(scratch, SelectedIndex);
    document_.EditSlot(SelectedIndex, scratch.FlightGroups[slot], nullptr, false);
}

// Takes the group as the controls show it: the document's slot, with every edit made since it was
// selected.
void TForm1::CopyBtnClick() {
    document_.EndTypingRun();
    ClipboardGroup = document_.Mission().FlightGroups[static_cast<std::size_t>(SelectedIndex)];
    PasteBtn->setEnabled(true);
}

void TForm1::PasteBtnClick() {
    document_.EditSlot(SelectedIndex, ClipboardGroup, nullptr, false);
}

void TForm1::ConnectHandlers() {
    const auto bind = [this](auto* control, auto signal, void (TForm1::*handler)(QWidget*)) {
        connect(control, signal, this,
                [this, control, handler] { RunCommand([&] { (this->*handler)(control); }); });
    };
    const auto command = [this](auto* control, auto signal, auto handler) {
        connect(control, signal, this, [this, handler] { RunCommand([&] { (this->*handler)(); }); });
    };

    for (TChoiceBox* box :
         {ShipBox, AIBox, OrderBox, MissleBox, CounterBox, BeamBox, ArenaBox, MissionTypeBox})
        bind(box, &TChoiceBox::Changed, &TForm1::BoundFieldChange);
    for (TSpinEdit* spin : {Wavespin, SizeSpin, StartDistSpin})
        bind(spin, &TSpinEdit::Changed, &TForm1::BoundFieldChange);
    bind(PriChk, &QCheckBox::toggled, &TForm1::BoundFieldChange);
    for (QLineEdit* edit :
         {FG2Unk1Ed, FG2Unk2Ed, FG2Unk3Ed, FG2Unk4Ed, FG2Unk5Ed, Edit1, Edit2, Edit3, Edit4})
        bind(edit, &QLineEdit::textChanged, &TForm1::BoundFieldChange);
    command(NameBox, &QComboBox::editTextChanged, &TForm1::NameBoxChange);
    command(NumTeamsBox, &QComboBox::editTextChanged, &TForm1::NumTeamsBoxChange);
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
