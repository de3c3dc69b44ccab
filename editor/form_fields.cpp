// Field editing: each control finds its field through its kind and tag; the flight group clipboard.
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

// Writes a control's value into the field its binding names: as a step on the history while the
// user edits, straight into the document while the program fills the control.
void TForm1::StoreField(QWidget* control) {
    const TFieldBinding* binding = FindBinding(control->objectName());
    if (!binding)
        return;
    const int value = ControlValue(control) - binding->Offset;
    const auto slot = static_cast<std::size_t>(SelectedIndex);
    if (!ControlsLive) {
        SetFieldValue(Mission, Mission.FlightGroups[slot], binding->Kind, ControlTag(control), value);
        return;
    }
    // Drop-down lists and the check box make a step of each change; the fields typed into, spin
    // boxes included, make one step of a run of keystrokes.
    QWidget* typed =
        qobject_cast<QComboBox*>(control) || qobject_cast<QCheckBox*>(control) ? nullptr : control;
    if (InFlightGroup(binding->Kind)) {
        mission::TFlightGroup after = Mission.FlightGroups[slot];
        SetFieldValue(Mission, after, binding->Kind, ControlTag(control), value);
        PushSlotStep(SelectedIndex, after, typed);
    } else {
        mission::TMission scratch;
        PutRecords(scratch, Records(Mission));
        SetFieldValue(scratch, scratch.FlightGroups[0], binding->Kind, ControlTag(control), value);
        PushMissionStep(Records(scratch), typed);
    }
}

void TForm1::AIBoxChange(QWidget* sender) {
    if (!ControlsLive)
        return;
    StoreField(sender);
}

void TForm1::FG2Unk1EdChange(QWidget* sender) {
    if (!ControlsLive)
        return;
    StoreField(sender);
}

void TForm1::NameBoxChange() {
    if (!ControlsLive)
        return;
    const QString name = FirstCharacters(NameBox->currentText(), static_cast<int>(mission::kNameSize));
    mission::TFlightGroup after = Mission.FlightGroups[static_cast<std::size_t>(SelectedIndex)];
    text::SetFieldText(after.Name, text::UnicodeToAnsi(name.toStdU16String()));
    PushSlotStep(SelectedIndex, after, NameBox);
}

void TForm1::ArenaBoxChange(QWidget* sender) {
    if (!ControlsLive)
        return;
    StoreField(sender);
}

// Runs also while the program fills the field; it then stores the value just shown.
void TForm1::Edit1Change(QWidget* sender) {
    StoreField(sender);
}

// Runs also while the program fills the fields; they then store the values just shown.
void TForm1::Edit2Change(QWidget* sender) {
    StoreField(sender);
}

void TForm1::MissionTypeBoxChange(QWidget* sender) {
    if (!ControlsLive)
        return;
    StoreField(sender);
}

void TForm1::NumTeamsBoxChange() {
    if (!ControlsLive)
        return;
    TMissionRecords after = Records(Mission);
    after.Settings.TeamCount = ParseInteger(NumTeamsBox->currentText()).value_or(kDefaultTeamCount);
    PushMissionStep(after, NumTeamsBox);
}

void TForm1::GoalBoxChange() {
    if (!ControlsLive)
        return;
    // Only the first eight rows have a goal behind them; with no such row there is nothing to change.
    const int row = TeamListBox->SelectedRow();
    if (row < 0 || row >= mission::kTeamGoalCount)
        return;
    TMissionRecords after = Records(Mission);
    after.Goals.TeamGoal[static_cast<std::size_t>(row)] = GoalBox->currentIndex();
    PushMissionStep(after, nullptr, row);
}

void TForm1::ClearFGBtnClick() {
    mission::TMission scratch;
    scratch.FlightGroups[static_cast<std::size_t>(SelectedIndex)] =
        Mission.FlightGroups[static_cast<std::size_t>(SelectedIndex)];
    mission::ClearFlightGroup(scratch, SelectedIndex);
    PushSlotStep(SelectedIndex, scratch.FlightGroups[static_cast<std::size_t>(SelectedIndex)], nullptr, true);
}

// Takes the group as the controls show it: the document's slot, with every edit made since it was
// selected.
void TForm1::CopyBtnClick() {
    EndTypingRun();
    ClipboardGroup = Mission.FlightGroups[static_cast<std::size_t>(SelectedIndex)];
    PasteBtn->setEnabled(true);
}

void TForm1::PasteBtnClick() {
    PushSlotStep(SelectedIndex, ClipboardGroup, nullptr, true);
}

void TForm1::ConnectHandlers() {
    const auto bind = [this](auto* control, auto signal, void (TForm1::*handler)(QWidget*)) {
        connect(control, signal, this,
                [this, control, handler] { RunCommand([&] { (this->*handler)(control); }); });
    };
    const auto command = [this](auto* control, auto signal, void (TForm1::*handler)()) {
        connect(control, signal, this, [this, handler] { RunCommand([&] { (this->*handler)(); }); });
    };

    for (TChoiceBox* box : {ShipBox, AIBox, OrderBox, MissleBox, CounterBox, BeamBox})
        bind(box, &TChoiceBox::Changed, &TForm1::AIBoxChange);
    for (TSpinEdit* spin : {Wavespin, SizeSpin})
        bind(spin, &TSpinEdit::Changed, &TForm1::AIBoxChange);
    bind(PriChk, &QCheckBox::toggled, &TForm1::AIBoxChange);
    command(NameBox, &QComboBox::editTextChanged, &TForm1::NameBoxChange);
    for (QLineEdit* edit : {FG2Unk1Ed, FG2Unk2Ed, FG2Unk3Ed, FG2Unk4Ed, FG2Unk5Ed})
        bind(edit, &QLineEdit::textChanged, &TForm1::FG2Unk1EdChange);
    bind(ArenaBox, &TChoiceBox::Changed, &TForm1::ArenaBoxChange);
    bind(StartDistSpin, &TSpinEdit::Changed, &TForm1::ArenaBoxChange);
    bind(Edit1, &QLineEdit::textChanged, &TForm1::Edit1Change);
    for (QLineEdit* edit : {Edit2, Edit3, Edit4})
        bind(edit, &QLineEdit::textChanged, &TForm1::Edit2Change);
    bind(MissionTypeBox, &TChoiceBox::Changed, &TForm1::MissionTypeBoxChange);
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
