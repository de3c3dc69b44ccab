// The flight group list and the team goal list: team colours, line texts, painting.
#include "form1.h"

#include "ansi_text.h"
#include "choice_box.h"
#include "craft_catalogue.h"
#include "draw_list_box.h"
#include "errors.h"
#include "ui_font.h"

#include <QPainter>
#include <algorithm>
#include <array>
#include <string>

namespace editor {

namespace {

constexpr std::array<std::uint32_t, 7> kTeamColours = {
    0x00FF00, // 1 green
    0x0000FF, // 2 red
    0xFFA953, // 3 light blue
    0xFF00FF, // 4 purple
    0x00FFFF, // 5 yellow
    0x9191C8, // 6 dusky pink
    0xFFFFFF, // 7 white
};
constexpr std::uint32_t kOtherTeamColour = 0xFFFF00; // cyan

// The team number of the first blank row of the goal list; at most 32 rows in all.
constexpr std::int64_t kLowestBlankRowTeam = -24;

QString ToQString(std::string_view bytes) {
    return QString::fromStdU16String(mission::AnsiToUnicode(bytes));
}

void PaintRow(QPainter& painter, const QRect& rect, const QString& text, const QColor* colour) {
    painter.fillRect(rect, painter.brush());
    if (colour)
        painter.setPen(*colour);
    painter.drawText(rect.adjusted(2, 0, 0, 0), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text);
}

} // namespace

std::uint32_t TeamColour(int team) {
    if (team >= 1 && team <= static_cast<int>(kTeamColours.size()))
        return kTeamColours[static_cast<std::size_t>(team - 1)];
    return kOtherTeamColour;
}

void TForm1::AssignTeamColours() {
    const std::int32_t teamCount = Mission.Settings.TeamCount;
    const int groupSize = teamCount >= 1 ? mission::kFlightGroupCount / teamCount : 8;
    int team = 1;
    int position = 1;
    for (mission::TFlightGroup& group : Mission.FlightGroups) {
        group.Colour = TeamColour(team);
        if (++position > groupSize) {
            position = 1;
            ++team;
        }
    }
    UpdateShipList();
    UpdateGoalList();
}

std::string TForm1::CraftShortName(int craftType) const {
    const QListWidgetItem* entry = ShortBox->item(craftType);
    if (!entry)
        throw mission::EListError(craftType);
    return mission::UnicodeToAnsi(entry->text().toStdU16String());
}

void TForm1::BuildListText(int slot) {
    mission::TFlightGroup& group = Mission.FlightGroups[static_cast<std::size_t>(slot)];
    std::string text;
    if (group.CraftType != 0) {
        text = std::to_string(group.WavesMinusOne + 1) + "  x  [ " + std::to_string(group.CraftPerWave) +
               " ]  " + CraftShortName(group.CraftType) + "  " + std::string(mission::FieldText(group.Name));
    }
    group.ListText = (group.Primary == 1 ? "^   " : "     ") + text;
}

void TForm1::UpdateShipList() {
    const int remembered = ShipList->SelectedRow();
    ShipList->Clear();
    for (int slot = 0; slot < mission::kFlightGroupCount; ++slot) {
        BuildListText(slot);
        ShipList->AddRow(ToQString(Mission.FlightGroups[static_cast<std::size_t>(slot)].ListText));
    }
    ShipList->SetSelectedRow(remembered);
}

void TForm1::UpdateGoalList() {
    const int remembered = TeamListBox->SelectedRow();
    TeamListBox->Clear();
    const std::int32_t teamCount = Mission.Settings.TeamCount;
    const int shown = std::min(teamCount, mission::kTeamGoalCount);
    for (int team = 1; team <= shown; ++team)
        TeamListBox->AddRow(
            QString::number(team) + ":  " +
            ToQString(mission::GoalText(Mission.Goals.TeamGoal[static_cast<std::size_t>(team - 1)])));
    // Below eight teams the list is filled up with blank rows, so every stored goal has a row. A
    // negative team count adds a blank row for each number up to 7 as well, but only so many: a
    // count of minus two thousand million, typed or read from a file, must not hang the editor.
    for (std::int64_t k = std::max<std::int64_t>(teamCount, kLowestBlankRowTeam); k <= 7; ++k)
        TeamListBox->AddRow(" ");
    TeamListBox->SetSelectedRow(remembered);
}

void TForm1::ShipListDrawItem(QPainter& painter, int row, const QRect& rect, bool) {
    const QString text = ShipList->item(row) ? ShipList->item(row)->text() : QString();
    if (row >= 0 && row < mission::kFlightGroupCount) {
        const QColor colour = ColourFromBgr(Mission.FlightGroups[static_cast<std::size_t>(row)].Colour);
        PaintRow(painter, rect, text, &colour);
    } else {
        PaintRow(painter, rect, text, nullptr);
    }
}

void TForm1::TeamListBoxDrawItem(QPainter& painter, int row, const QRect& rect, bool) {
    const QString text = TeamListBox->item(row) ? TeamListBox->item(row)->text() : QString();
    if (row >= 0 && row < mission::kTeamGoalCount) {
        const QColor colour = ColourFromBgr(TeamColour(row + 1));
        PaintRow(painter, rect, text, &colour);
    } else {
        PaintRow(painter, rect, text, nullptr);
    }
}

void TForm1::TeamListBoxClick() {
    const int row = TeamListBox->SelectedRow();
    // Rows past the eighth (a negative team count) have no goal behind them.
    if (row >= 0 && row < mission::kTeamGoalCount)
        GoalBox->SetSelection(Mission.Goals.TeamGoal[static_cast<std::size_t>(row)]);
    else
        GoalBox->SetSelection(-1);
}

} // namespace editor
