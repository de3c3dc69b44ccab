// Undo and redo: every change the user makes is a step, walked back and forth with the keys; the
// Save button and the save question follow the point last saved.
#include "ansi_text.h"
#include "form_fixture.h"
#include "skirmish_file.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>
#include <random>
#include <vector>

namespace {

// What the next save writes, but the mission name, which every save takes from the file name.
std::vector<std::uint8_t> SavedBytes(const mission::TMission& document) {
    mission::TMission copy = document;
    copy.Header.MissionName = {};
    const mission::TSkirmishImage image = mission::EncodeMission(copy);
    return {image.begin(), image.end()};
}

// What a control shows, to tell whether an action changed it (and so made a step).
QString Shown(QWidget* control) {
    if (auto* box = qobject_cast<QComboBox*>(control))
        return box->isEditable() ? box->currentText() : QString::number(box->currentIndex());
    if (auto* check = qobject_cast<QCheckBox*>(control))
        return check->isChecked() ? "1" : "0";
    if (auto* edit = qobject_cast<QLineEdit*>(control))
        return edit->text();
    if (auto* spin = qobject_cast<QAbstractSpinBox*>(control))
        return spin->text();
    return {};
}

} // namespace

class HistoryTest : public FormTest {
protected:
    // The keys go where the user's would: to the control with the focus.
    void Press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::ControlModifier) {
        QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : form.get();
        QTest::keyClick(target, key, modifiers);
    }
    void Undo() { Press(Qt::Key_Z); }
    void Redo(bool withY) {
        if (withY)
            Press(Qt::Key_Y);
        else
            Press(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    }
    bool SaveEnabled() { return Find<QWidget>("SaveBtn")->isEnabled(); }
};

// Random edits through the controls, each one step; undone to the start they give the starting
// bytes and redone the end bytes, every point between on the way; the document is unmodified
// exactly at the point last saved.
TEST_F(HistoryTest, RandomEditsUndoneAndRedoneGiveTheBytesOfEveryPoint) {
    const char* const picked[] = {"ShipBox", "AIBox",    "OrderBox",       "MissleBox", "CounterBox",
                                  "BeamBox", "ArenaBox", "MissionTypeBox", "GoalBox"};
    const char* const typed[] = {"FG2Unk1Ed", "FG2Unk3Ed", "FG2Unk5Ed", "Edit1",         "Edit2",
                                 "Edit4",     "Wavespin",  "SizeSpin",  "StartDistSpin", "NameBox"};
    for (const unsigned seed : {1u, 2u, 3u, 4u}) {
        SCOPED_TRACE(seed);
        std::mt19937 random(seed);
        const auto below = [&random](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
        if (form->Document().Modified())
            dialogs->SaveAnswers = {editor::TAnswer::No};
        Click(Find<QWidget>("NewBtn"));
        Undo();
        ASSERT_FALSE(form->Document().Modified()) << "New starts a new history";

        std::vector<std::vector<std::uint8_t>> points = {SavedBytes(form->Document().Mission())};
        std::size_t saved = 0;
        bool named = false;
        for (int action = 0; action < 45; ++action) {
            QWidget* changed = nullptr;
            QString before;
            switch (below(8)) {
            case 0:
            case 1: { // a pick in a drop-down list, for a goal after choosing its team
                const char* name = picked[below(std::size(picked))];
                auto* box = Find<QComboBox>(name);
                if (QString(name) == "GoalBox")
                    ClickRow(Find<QListWidget>("TeamListBox"), below(2));
                changed = box;
                before = Shown(box);
                box->setFocus();
                QTest::keyClick(box, box->currentIndex() + 1 < box->count() ? Qt::Key_Down : Qt::Key_Up);
                break;
            }
            case 2:
            case 3: { // a few keystrokes in one field
                changed = Find<QWidget>(typed[below(std::size(typed))]);
                before = Shown(changed);
                Type(changed, QString::number(1 + below(9)).repeated(1 + below(3)));
                break;
            }
            case 4:
                changed = Find<QWidget>("PriChk");
                before = Shown(changed);
                Click(changed);
                break;
            case 5: { // the team count, typed over
                changed = Find<QWidget>("NumTeamsBox");
                before = Shown(changed);
                QString count = before;
                while (count == before)
                    count = QString::number(1 + below(17));
                ReplaceText(changed, count);
                break;
            }
            case 6: { // Clear FG and Paste FG are steps; Copy FG and choosing a slot are not
                const int which = below(4);
                if (which == 0)
                    Click(Find<QWidget>("CopyBtn"));
                else if (which == 1)
                    ClickRow(Find<QListWidget>("ShipList"), below(16));
                else if (QWidget* button = Find<QWidget>(which == 2 ? "ClearFGBtn" : "PasteBtn");
                         button->isEnabled()) {
                    Click(button);
                    points.push_back(SavedBytes(form->Document().Mission()));
                }
                break;
            }
            case 7: // saving is no step; it moves the clean point
                if (!named)
                    dialogs->FileAnswers = {QString::fromStdString((dir / "History.skm").string())};
                Click(Find<QWidget>(named ? "SaveBtn" : "SaveAsBtn"));
                named = true;
                saved = points.size() - 1;
                break;
            }
            // Whatever the control showed changed made a step, also when leaving a spin box then
            // brings it back to where it was.
            const bool step = changed && Shown(changed) != before;
            LeaveFocus(nullptr);
            if (step)
                points.push_back(SavedBytes(form->Document().Mission()));
            ASSERT_EQ(SavedBytes(form->Document().Mission()), points.back()) << "action " << action;
            ASSERT_EQ(form->Document().Modified(), points.size() - 1 != saved) << "action " << action;
            ASSERT_EQ(SaveEnabled(), form->Document().Modified());
        }
        ASSERT_GT(points.size(), 15u);

        for (std::size_t point = points.size() - 1; point-- > 0;) {
            Undo();
            ASSERT_EQ(SavedBytes(form->Document().Mission()), points[point]) << "undone to " << point;
            ASSERT_EQ(form->Document().Modified(), point != saved) << "undone to " << point;
            ASSERT_EQ(SaveEnabled(), form->Document().Modified());
        }
        Undo();
        EXPECT_EQ(SavedBytes(form->Document().Mission()), points.front()) << "nothing before the start";
        for (std::size_t point = 1; point < points.size(); ++point) {
            Redo(point % 2 == 0);
            ASSERT_EQ(SavedBytes(form->Document().Mission()), points[point]) << "redone to " << point;
            ASSERT_EQ(form->Document().Modified(), point != saved) << "redone to " << point;
            ASSERT_EQ(SaveEnabled(), form->Document().Modified());
        }
        Redo(true);
        EXPECT_EQ(SavedBytes(form->Document().Mission()), points.back()) << "nothing after the end";
        EXPECT_TRUE(dialogs->Errors.empty());
    }
}

// Ctrl+Z in a field being typed into undoes the whole typing, not its last letter; a number typed
// out of a spin box's range is settled first, so redo brings back the settled number.
TEST_F(HistoryTest, KeysInATextBoxUndoItsWholeEditAsTheWindowsStep) {
    const mission::TMission start = form->Document().Mission();
    for (const char* name : {"FG2Unk3Ed", "Edit1", "NameBox", "NumTeamsBox"}) {
        SCOPED_TRACE(name);
        QWidget* field = Find<QWidget>(name);
        const QString shownAtStart = Shown(field);
        ReplaceText(field, "5");
        Type(field, "67");
        ASSERT_TRUE(field->hasFocus() || field->isAncestorOf(QApplication::focusWidget()));
        ASSERT_NE(form->Document().Mission(), start);
        Undo();
        EXPECT_EQ(form->Document().Mission(), start);
        EXPECT_EQ(Shown(field), shownAtStart);
        EXPECT_FALSE(form->Document().Modified());
        Redo(false);
        EXPECT_EQ(Shown(field), "567");
        Undo();
    }
    EXPECT_EQ(form->Document().Mission(), start);

    auto* waves = Find<QAbstractSpinBox>("Wavespin");
    const QString wavesAtStart = waves->text();
    ReplaceText(waves, "1000"); // out of range until the box is settled
    ASSERT_TRUE(waves->hasFocus());
    Undo();
    EXPECT_EQ(form->Document().Mission().FlightGroups[0].WavesMinusOne, start.FlightGroups[0].WavesMinusOne);
    EXPECT_EQ(waves->text(), wavesAtStart);
    Redo(true);
    EXPECT_EQ(form->Document().Mission().FlightGroups[0].WavesMinusOne, 254) << "settled at the box's highest, 255";
    EXPECT_EQ(waves->text(), "255");
    Undo();
    Undo();
    EXPECT_EQ(form->Document().Mission(), start);
    EXPECT_FALSE(form->Document().Modified());
}

// Undo shows what it changed: the flight group it restores is selected and shown, and the goal it
// restores is the one the team list and GoalBox show.
TEST_F(HistoryTest, UndoSelectsAndShowsWhatItChanged) {
    auto* ships = Find<QListWidget>("ShipList");
    auto* teams = Find<QListWidget>("TeamListBox");
    const mission::TMission start = form->Document().Mission();
    ClickRow(ships, 5);
    Type(Find<QWidget>("NameBox"), "x");
    ClickRow(ships, 3);
    Click(Find<QWidget>("ClearFGBtn"));
    ClickRow(teams, 1);
    Find<QWidget>("GoalBox")->setFocus();
    QTest::keyClick(Find<QWidget>("GoalBox"), Qt::Key_Down); // one pick, one step
    ClickRow(teams, 0);
    ClickRow(ships, 9);

    Undo(); // the goal of team 2
    EXPECT_EQ(teams->currentRow(), 1);
    EXPECT_EQ(Find<QComboBox>("GoalBox")->currentIndex(), form->Document().Mission().Goals.TeamGoal[1]);
    EXPECT_EQ(form->SelectedSlot(), 9) << "a goal belongs to no flight group";

    Undo(); // Clear FG of slot 3
    EXPECT_EQ(form->SelectedSlot(), 3);
    EXPECT_EQ(ships->currentRow(), 3);
    EXPECT_EQ(Find<QLabel>("Label6")->text(), "Flight Group  # 4");
    EXPECT_EQ(form->Document().Mission().FlightGroups[3], start.FlightGroups[3]);

    Undo(); // the name typed in slot 5
    EXPECT_EQ(form->SelectedSlot(), 5);
    EXPECT_EQ(ships->currentRow(), 5);
    EXPECT_EQ(form->Document().Mission(), start);
    const auto name = text::FieldText(start.FlightGroups[5].Name);
    EXPECT_EQ(Find<QComboBox>("NameBox")->currentText().toStdString(), std::string(name));
    EXPECT_FALSE(form->Document().Modified());
}

// Saving marks the point; undoing from it and back, and Open starting a new history.
TEST_F(HistoryTest, SaveMarksTheCleanPointAndOpenStartsANewHistory) {
    Pick(Find<QWidget>("AIBox"), 3);
    dialogs->FileAnswers = {QString::fromStdString((dir / "Saved.skm").string())};
    Click(Find<QWidget>("SaveAsBtn"));
    ASSERT_FALSE(SaveEnabled());
    Undo();
    EXPECT_TRUE(form->Document().Modified());
    EXPECT_TRUE(SaveEnabled());
    Redo(true);
    EXPECT_FALSE(form->Document().Modified());
    EXPECT_FALSE(SaveEnabled());
    Undo();
    dialogs->SaveAnswers = {editor::TAnswer::No};
    mission::TMission opened;
    mission::NewMission(opened);
    opened.FlightGroups[0].AiLevel = 1;
    Open(opened);
    Undo();
    EXPECT_EQ(form->Document().Mission().FlightGroups[0].AiLevel, 1);
    EXPECT_FALSE(form->Document().Modified());
    Redo(true);
    EXPECT_EQ(form->Document().Mission().FlightGroups[0].AiLevel, 1);
    EXPECT_FALSE(form->Document().Modified());
}

// The history keeps the last thousand steps: undoing them all stops at the document as it was
// after the oldest one kept.
TEST_F(HistoryTest, HistoryKeepsTheLastThousandSteps) {
    auto* skill = Find<QComboBox>("AIBox");
    skill->setFocus();
    std::vector<int> levels;
    for (int step = 0; step < 1005; ++step) {
        QTest::keyClick(skill, skill->currentIndex() == 0 ? Qt::Key_Down : Qt::Key_Up);
        levels.push_back(form->Document().Mission().FlightGroups[0].AiLevel);
    }
    for (int step = 0; step < 1010; ++step)
        Undo();
    EXPECT_EQ(form->Document().Mission().FlightGroups[0].AiLevel, levels[4]);
    EXPECT_TRUE(form->Document().Modified()) << "the saved point is gone with the oldest steps";
    Redo(true);
    EXPECT_EQ(form->Document().Mission().FlightGroups[0].AiLevel, levels[5]);
}

// A pasted craft without a short name stops the list with the error box, but the paste is kept
// as a change like any other: marked, so closing asks, and undone whole.
TEST_F(HistoryTest, PastedCraftWithoutAShortNameIsAChangeToSave) {
    mission::TMission odd;
    mission::NewMission(odd);
    odd.FlightGroups[0].CraftType = 240;
    Open(odd);
    ASSERT_EQ(dialogs->Errors.size(), 1u);
    Click(Find<QWidget>("CopyBtn"));
    mission::TMission plain;
    mission::NewMission(plain);
    Open(plain);
    ClickRow(Find<QListWidget>("ShipList"), 5);
    const mission::TFlightGroup before = form->Document().Mission().FlightGroups[5];

    Click(Find<QWidget>("PasteBtn"));
    EXPECT_EQ(form->Document().Mission().FlightGroups[5].CraftType, 240);
    ASSERT_EQ(dialogs->Errors.size(), 2u);
    EXPECT_EQ(dialogs->Errors[1].second, "List index out of bounds (240)");
    EXPECT_TRUE(form->Document().Modified());
    EXPECT_TRUE(SaveEnabled());

    Undo();
    EXPECT_EQ(form->Document().Mission().FlightGroups[5], before);
    EXPECT_FALSE(form->Document().Modified());
    EXPECT_EQ(dialogs->Errors.size(), 2u);
    EXPECT_EQ(Rows(Find<QListWidget>("ShipList")).size(), 16);
}
