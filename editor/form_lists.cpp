// The flight group list and the team goal list: team colours, line texts, painting.
#include "form1.h"

#include "ansi_text.h"
#include "bgr_colour.h"
#include "choice_box.h"
#include "craft_catalogue.h"
#include "draw_list_box.h"
#include "errors.h"
#include "list_entries.h"
#include "team_colours.h"

#include <QPainter>
#include <algorithm>
#include <array>
#include <optional>
#include <string>

namespace editor {

namespace {

// The team number of the first blank row of the goal list; at most 32 rows in all.
constexpr std::int64_t kLowestBlankRowTeam = -24;

// A row in its team's colour; a row without a team in the list's text colour.
void PaintRow(QPainter& painter, const QRect& rect, const QListWidgetItem* row,
              std::optional<std::uint32_t> colour) {
    painter.fillRect(rect, painter.brush());
    if (colour)
        painter.setPen(ColourFromBgr(*colour));
    painter.drawText(rect.adjusted(2, 0, 0, 0), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                     row ? row->text() : QString());
}

// What a screen reader says for a flight group row: the row's text without its marks, and the team
// its colour stands for.
QString SpokenShipRow(const mission::TFlightGroup& group, const QString& shown, int team) {
    const bool primary = group.Primary == 1;
    QString spoken = primary ? QStringLiteral("primary, ") : QString();
    spoken += group.CraftType != 0 ? QStringView(shown).mid(primary ? 4 : 5) : QStringView(u"empty slot");
    return spoken + QStringLiteral(", team ") + QString::number(team);
}

} // namespace

void TForm1::UpdateLists() {
    UpdateShipList();
    UpdateGoalList();
}

std::string TForm1::CraftShortName(int craftType) const {
    const QListWidgetItem* entry = ShortBox->item(craftType);
    if (!entry)
        throw mission::EListError(craftType);
    return text::UnicodeToAnsi(entry->text().toStdU16String());
}

void TForm1::BuildListText(int slot) {
    const mission::TFlightGroup& group = document_.Mission().FlightGroups[static_cast<std::size_t>(slot)];
    std::string text;
    if (group.CraftType != 0) {
        text = std::to_string(group.WavesMinusOne + 1) + "  x  [ " + std::to_string(group.CraftPerWave) +
               " ]  " + CraftShortName(group.CraftType) + "  " + std::string(text::FieldText(group.Name));
    }
    document_.SetListText(slot, (group.Primary == 1 ? "^   " : "     ") + text);
}

void TForm1::UpdateShipList() {
    const int remembered = ShipList->SelectedRow();
    QList<TDrawListBox::TRow> rows;
    rows.reserve(mission::kFlightGroupCount);
    try {
        for (int slot = 0; slot < mission::kFlightGroupCount; ++slot) {
            BuildListText(slot);
            const mission::TFlightGroup& group = document_.Mission().FlightGroups[static_cast<std::size_t>(slot)];
            const QString shown = FileText(group.ListText);
            rows.append({shown, SpokenShipRow(group, shown, document::SlotTeam(slot, document_.Mission().Settings.TeamCount))});
        }
    } catch (...) {
        // A slot that cannot be listed (a craft type without a short name) stops the list there:
        // it holds the rows before that slot, none of them selected.
        ShipList->SetRows(rows, -1);
        throw;
    }
    ShipList->SetRows(rows, remembered);
}

void TForm1::UpdateGoalList() {
    const int remembered = TeamListBox->SelectedRow();
    QList<TDrawListBox::TRow> rows;
    const std::int32_t teamCount = document_.Mission().Settings.TeamCount;
    const int shown = std::min(teamCount, mission::kTeamGoalCount);
    for (int team = 1; team <= shown; ++team) {
        const QString goal =
            FileText(mission::GoalText(document_.Mission().Goals.TeamGoal[static_cast<std::size_t>(team - 1)]));
        const QString spokenGoal = goal.trimmed().isEmpty() ? QString("no goal") : goal.trimmed();
        rows.append(
            {QString::number(team) + ":  " + goal, "team " + QString::number(team) + ": " + spokenGoal});
    }
    // Below eight teams the list is filled up with blank rows, so every stored goal has a row. A
    // negative team count adds a blank row for each number up to 7 as well, but only so many: a
    // count of minus two thousand million, typed or read from a file, must not hang the editor.
    for (std::int64_t k = std::max<std::int64_t>(teamCount, kLowestBlankRowTeam); k <= 7; ++k) {
        const auto row = rows.size();
        rows.append({" ", row < mission::kTeamGoalCount
                              ? "team " + QString::number(row + 1) + ": beyond the number of teams"
                              : QString("no team")});
    }
    TeamListBox->SetRows(rows, remembered);
    shownGoals_ = document_.Mission().Goals;
}

void TForm1::ShipListDrawItem(QPainter& painter, int row, const QRect& rect, bool) {
    PaintRow(painter, rect, ShipList->item(row),
             row >= 0 && row < mission::kFlightGroupCount
                 ? std::optional(document_.Mission().FlightGroups[static_cast<std::size_t>(row)].Colour)
                 : std::nullopt);
}

void TForm1::TeamListBoxDrawItem(QPainter& painter, int row, const QRect& rect, bool) {
    PaintRow(painter, rect, TeamListBox->item(row),
             row >= 0 && row < mission::kTeamGoalCount ? std::optional(TeamColour(row + 1)) : std::nullopt);
}

void TForm1::TeamListBoxClick() {
    const int row = TeamListBox->SelectedRow();
    // Rows past the eighth (a negative team count) have no goal behind them.
    if (row >= 0 && row < mission::kTeamGoalCount)
        ShowStoredValue(GoalBox, document_.Mission().Goals.TeamGoal[static_cast<std::size_t>(row)]);
    else
        GoalBox->SetSelection(-1);
}

} // namespace editor
