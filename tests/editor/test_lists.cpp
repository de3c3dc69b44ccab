// The flight group list and the team list: texts, colours, teams, and what selecting shows.
#include "form_fixture.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QScrollBar>
#include <QTest>
#include <QWheelEvent>

using editor::TeamColour;

namespace {

const QColor kGreen(0, 255, 0), kRed(255, 0, 0), kLightBlue(83, 169, 255), kPurple(255, 0, 255);
const QColor kCyan(0, 255, 255);

QString Line(int waves, int craft, const QString& shortName, const QString& name) {
    return QString("     %1  x  [ %2 ]  %3  %4").arg(waves).arg(craft).arg(shortName, name);
}

} // namespace

TEST(TeamColours, ByTeamNumber) {
    const std::pair<int, std::uint32_t> cases[] = {
        {1, 0x00FF00}, {2, 0x0000FF}, {3, 0xFFA953}, {4, 0xFF00FF},  {5, 0x00FFFF}, {6, 0x9191C8},
        {7, 0xFFFFFF}, {8, 0xFFFF00}, {0, 0xFFFF00}, {-1, 0xFFFF00}, {17, 0xFFFF00}};
    for (const auto& [team, colour] : cases)
        EXPECT_EQ(TeamColour(team), colour) << team;
}

TEST_F(FormTest, NewMissionLinesInTeamColours) {
    auto* ships = Find<QListWidget>("ShipList");
    QStringList expected;
    for (int slot = 0; slot < 16; ++slot)
        expected << (slot == 0 ? Line(1, 1, "X-W", "One") : slot == 8 ? Line(1, 1, "X-W", "Nine") : "     ");
    EXPECT_EQ(Rows(ships), expected);
    EXPECT_EQ(Rows(Find<QListWidget>("TeamListBox")),
              (QStringList{"1:  Destroy All Flight Groups ", "2:  Destroy All Flight Groups ", " ", " ", " ",
                           " ", " ", " "}));

    // Row 1 is selected: highlight background, text still green. Row 9 is red on black.
    EXPECT_TRUE(RowHasPixel(ships, 0, kGreen));
    EXPECT_EQ(RowBackground(ships, 0), ships->palette().color(QPalette::Highlight));
    EXPECT_TRUE(RowHasPixel(ships, 8, kRed));
    EXPECT_FALSE(RowHasPixel(ships, 8, kGreen));
    EXPECT_EQ(RowBackground(ships, 8), QColor(0, 0, 0));
    auto* teams = Find<QListWidget>("TeamListBox");
    EXPECT_TRUE(RowHasPixel(teams, 0, kGreen));
    EXPECT_TRUE(RowHasPixel(teams, 1, kRed));
    EXPECT_EQ(ships->sizeHintForRow(0), 14);
}

TEST_F(FormTest, TeamCountRecoloursSlotsAndGoalRows) {
    auto* ships = Find<QListWidget>("ShipList");
    auto* teams = Find<QListWidget>("TeamListBox");
    // Every slot gets a craft so that each row paints text.
    mission::TMission m;
    mission::NewMission(m);
    for (auto& group : m.FlightGroups)
        group.CraftType = 5;
    Open(m);
    ReplaceText(Find<QWidget>("NumTeamsBox"), "4");
    EXPECT_EQ(form->Document().Mission().Settings.TeamCount, 4);
    const QColor byGroup[] = {kGreen, kRed, kLightBlue, kPurple};
    for (int slot = 0; slot < 16; ++slot)
        EXPECT_TRUE(RowHasPixel(ships, slot, byGroup[slot / 4])) << slot;
    EXPECT_EQ(Rows(teams).mid(2, 3),
              (QStringList{"3:  Destroy All Flight Groups ", "4:  Destroy All Flight Groups ", " "}));
    EXPECT_TRUE(RowHasPixel(teams, 3, kPurple));
    EXPECT_TRUE(form->Document().Modified());

    // The team-coloured controls keep their colour until the next selection.
    EXPECT_EQ(Find<QWidget>("ShipBox")->palette().color(QPalette::Text), kGreen);
    ClickRow(ships, 5);
    EXPECT_EQ(Find<QWidget>("ShipBox")->palette().color(QPalette::Text), kRed);
}

TEST_F(FormTest, TeamGroupingForAnyTeamCount) {
    const struct {
        const char* typed;
        int teamCount;
        std::vector<std::uint32_t> slotColours; // slots 0, 4, 5, 15
        int rows;
        int blankRows;
    } cases[] = {
        {"1", 1, {0x00FF00, 0x00FF00, 0x00FF00, 0x00FF00}, 8, 7},
        {"2", 2, {0x00FF00, 0x00FF00, 0x00FF00, 0x0000FF}, 8, 6},
        {"3", 3, {0x00FF00, 0x00FF00, 0x0000FF, 0xFF00FF}, 8, 5},
        {"8", 8, {0x00FF00, 0xFFA953, 0xFFA953, 0xFFFF00}, 8, 0},
        {"12", 12, {0x00FF00, 0x00FFFF, 0x9191C8, 0xFFFF00}, 8, 0},
        {"0", 0, {0x00FF00, 0x00FF00, 0x00FF00, 0x0000FF}, 8, 8},
        {"-2", -2, {0x00FF00, 0x00FF00, 0x00FF00, 0x0000FF}, 10, 10},
        {"many", 2, {0x00FF00, 0x00FF00, 0x00FF00, 0x0000FF}, 8, 6},
        {"$10", 16, {0x00FF00, 0x00FFFF, 0x9191C8, 0xFFFF00}, 8, 0},
        {"17", 17, {0x00FF00, 0x00FFFF, 0x9191C8, 0xFFFF00}, 8, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        ReplaceText(Find<QWidget>("NumTeamsBox"), c.typed);
        EXPECT_EQ(form->Document().Mission().Settings.TeamCount, c.teamCount);
        const auto& groups = form->Document().Mission().FlightGroups;
        EXPECT_EQ((std::vector<std::uint32_t>{groups[0].Colour, groups[4].Colour, groups[5].Colour,
                                              groups[15].Colour}),
                  c.slotColours);
        const QStringList rows = Rows(Find<QListWidget>("TeamListBox"));
        EXPECT_EQ(rows.size(), c.rows);
        EXPECT_EQ(rows.count(" "), c.blankRows);
    }
}

TEST_F(FormTest, SelectingSlotsShowsThemWithoutMarkingChanges) {
    auto* ships = Find<QListWidget>("ShipList");
    mission::TMission m;
    mission::NewMission(m);
    m.FlightGroups[3].Number = 7;
    m.FlightGroups[3].AiLevel = 6;
    m.FlightGroups[3].WavesMinusOne = 255;
    m.FlightGroups[3].Order = 200;
    m.FlightGroups[3].Primary = 2;
    m.FlightGroups[3].Body[25] = -5;
    Open(m);
    ClickRow(ships, 3);
    EXPECT_EQ(form->SelectedSlot(), 3);
    EXPECT_EQ(Find<QLabel>("Label6")->text(), "Flight Group  # 8");
    EXPECT_EQ(Find<QComboBox>("AIBox")->currentIndex(), -1);
    EXPECT_EQ(Find<QComboBox>("AIBox")->currentText(), "");
    EXPECT_EQ(Find<QComboBox>("OrderBox")->currentIndex(), -1);
    EXPECT_EQ(Find<QAbstractSpinBox>("Wavespin")->text(), "255");
    EXPECT_TRUE(Find<QCheckBox>("PriChk")->isChecked());
    EXPECT_EQ(Find<QLineEdit>("FG2Unk3Ed")->text(), "-5");
    // Showing changes nothing stored.
    EXPECT_EQ(form->Document().Mission().FlightGroups[3].AiLevel, 6);
    EXPECT_EQ(form->Document().Mission().FlightGroups[3].WavesMinusOne, 255);
    EXPECT_EQ(form->Document().Mission().FlightGroups[3].Primary, 2);

    QTest::keyClick(ships, Qt::Key_Down);
    EXPECT_EQ(form->SelectedSlot(), 4);
    QTest::keyClick(ships, Qt::Key_End);
    EXPECT_EQ(form->SelectedSlot(), 15);
    ClickRow(ships, 0);
    EXPECT_FALSE(form->Document().Modified());
    EXPECT_FALSE(Find<QWidget>("SaveBtn")->isEnabled());
    EXPECT_TRUE(dialogs->Errors.empty());
}

TEST_F(FormTest, TeamRowsShowTheirGoals) {
    mission::TMission m;
    mission::NewMission(m);
    m.Goals.TeamGoal = {4, 5, -1, 2, 0, 0, 0, 3};
    Open(m);
    auto* teams = Find<QListWidget>("TeamListBox");
    EXPECT_EQ(Rows(teams).mid(0, 2),
              (QStringList{"1:  Inspect and Destroy All Primary Flight Groups", "2:  "}));
    auto* goal = Find<QComboBox>("GoalBox");
    const std::pair<int, int> shown[] = {{1, -1}, {2, -1}, {3, 2}, {7, 3}, {0, 4}};
    for (const auto& [row, index] : shown) {
        ClickRow(teams, row);
        EXPECT_EQ(goal->currentIndex(), index) << row;
    }
    EXPECT_FALSE(form->Document().Modified());
}

TEST_F(FormTest, CraftWithoutAShortNameStopsTheListWithAnError) {
    mission::TMission m;
    mission::NewMission(m);
    m.FlightGroups[5].CraftType = 232;
    Open(m);
    ASSERT_EQ(dialogs->Errors.size(), 1u) << "opening the file stops the list too";
    dialogs->Errors.clear();
    ClickRow(Find<QListWidget>("ShipList"), 2);
    Type(Find<QWidget>("FG2Unk1Ed"), "7"); // an edit rebuilds the list
    ASSERT_EQ(dialogs->Errors.size(), 1u);
    EXPECT_EQ(dialogs->Errors[0].second, "List index out of bounds (232)");
    EXPECT_EQ(Rows(Find<QListWidget>("ShipList")).size(), 5) << "the rows before the failing slot";
    EXPECT_EQ(Find<QListWidget>("ShipList")->currentRow(), -1);
    EXPECT_EQ(form->Document().Mission().FlightGroups[2].Body[11], 7) << "the edit itself was stored";
    EXPECT_EQ(form->Document().Mission().FlightGroups[5].CraftType, 232);
    ClickRow(Find<QListWidget>("ShipList"), 4);
    EXPECT_EQ(form->SelectedSlot(), 4);
}

TEST_F(FormTest, HugeNegativeTeamCountKeepsTheGoalListShort) {
    ReplaceText(Find<QWidget>("NumTeamsBox"), "-2147483648");
    EXPECT_EQ(form->Document().Mission().Settings.TeamCount, -2147483647 - 1) << "stored as typed";
    const QStringList rows = Rows(Find<QListWidget>("TeamListBox"));
    EXPECT_EQ(rows.size(), 32);
    EXPECT_EQ(rows.count(" "), 32);
    EXPECT_EQ(form->Document().Mission().FlightGroups[8].Colour, TeamColour(2)) << "groups of eight, as for 0";

    // Scrolled to its end, the list stays there while the user edits, and when the edit is undone.
    auto* teams = Find<QListWidget>("TeamListBox");
    teams->scrollToBottom();
    const int end = teams->verticalScrollBar()->value();
    ASSERT_GT(end, 0);
    ReplaceText(Find<QWidget>("FG2Unk1Ed"), "5");
    EXPECT_EQ(teams->verticalScrollBar()->value(), end);
    QTest::keyClick(Find<QWidget>("FG2Unk1Ed"), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(teams->verticalScrollBar()->value(), end);
}

TEST_F(FormTest, WheelOverAnUnfocusedBoxChangesNothing) {
    auto* ship = Find<QComboBox>("ShipBox");
    Find<QWidget>("ShipList")->setFocus();
    const QPoint centre = ship->rect().center();
    QWheelEvent wheel(centre, ship->mapToGlobal(centre), {}, QPoint(0, -120), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(ship, &wheel);
    EXPECT_EQ(ship->currentIndex(), 1);
    EXPECT_EQ(form->Document().Mission().FlightGroups[0].CraftType, 1);
    ship->setFocus();
    QWheelEvent focusedWheel(centre, ship->mapToGlobal(centre), {}, QPoint(0, -120), Qt::NoButton,
                             Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(ship, &focusedWheel);
    EXPECT_EQ(form->Document().Mission().FlightGroups[0].CraftType, 2)
        << "with the focus the wheel picks the next craft";
}
