// What the editor would warn about in a mission, or cannot show.
#include "mission_check.h"

#include "craft_catalogue.h"
#include "skirmish_file.h"

#include <cstddef>
#include <span>
#include <string_view>

namespace skm {

namespace {

// The editor's team list has a goal and a colour for teams 1 to 8.
constexpr std::int32_t kFewestTeams = 1;
constexpr std::int32_t kMostTeams = 8;

std::string Range(std::int64_t first, std::int64_t last) {
    return std::to_string(first) + " to " + std::to_string(last);
}

void CheckEntry(std::vector<TFinding>& findings, std::string field, std::int64_t value,
                std::span<const std::string_view> entries) {
    if (mission::ListPosition(value, entries.size()) < 0)
        findings.push_back({std::move(field), std::to_string(value) + " has no entry (" +
                                                  Range(0, static_cast<std::int64_t>(entries.size()) - 1) +
                                                  "): the editor's list shows nothing"});
}

void CheckFlightGroup(std::vector<TFinding>& findings, const mission::TFlightGroup& group, int slot) {
    const std::string fg = "FG " + std::to_string(slot + 1) + " ";
    if (mission::ListPosition(group.CraftType, mission::CraftCatalogue.size()) < 0)
        findings.push_back({fg + "CraftType", std::to_string(group.CraftType) + " has no craft (" +
                                                  Range(0, mission::kCraftCount - 1) +
                                                  "): the editor cannot list this flight group"});
    if (group.WavesMinusOne == 255)
        findings.push_back({fg + "WavesMinusOne", "255 means 256 waves: the editor shows 1 to 255"});
    if (group.CraftPerWave == 0)
        findings.push_back({fg + "CraftPerWave", "0 craft in a wave: the editor shows 1 to 255"});
    CheckEntry(findings, fg + "AiLevel", group.AiLevel, mission::AIBoxItems);
    CheckEntry(findings, fg + "Order", group.Order, mission::OrderBoxItems);
    CheckEntry(findings, fg + "Warhead", group.Warhead, mission::MissleBoxItems);
    CheckEntry(findings, fg + "Countermeasure", group.Countermeasure, mission::CounterBoxItems);
    CheckEntry(findings, fg + "Beam", group.Beam, mission::BeamBoxItems);
    if (group.Primary > 1)
        findings.push_back({fg + "Primary", std::to_string(group.Primary) +
                                                " is neither 0 nor 1: the editor ticks the box but does not "
                                                "mark the flight group primary in its list"});
}

} // namespace

std::vector<TFinding> CheckMission(const mission::TMission& mission, std::uintmax_t fileSize) {
    std::vector<TFinding> findings;
    if (fileSize != mission::kSkirmishFileSize) {
        const bool shorter = fileSize < mission::kSkirmishFileSize;
        findings.push_back({"length", std::to_string(fileSize) + " bytes, not " +
                                          std::to_string(mission::kSkirmishFileSize) +
                                          (shorter ? ": saving fills the rest with zeros"
                                                   : ": saving drops the bytes after the first 5192")});
    }
    for (int slot = 0; slot < mission::kFlightGroupCount; ++slot)
        CheckFlightGroup(findings, mission.FlightGroups[static_cast<std::size_t>(slot)], slot);

    const mission::TMissionSettings& settings = mission.Settings;
    if (settings.TeamCount < kFewestTeams || settings.TeamCount > kMostTeams)
        findings.push_back({"TeamCount", std::to_string(settings.TeamCount) + " is outside " +
                                             Range(kFewestTeams, kMostTeams) +
                                             ": not every team has a goal and a colour"});
    CheckEntry(findings, "Arena", settings.Arena, mission::ArenaBoxItems);
    if (settings.StartDistance < 0 || settings.StartDistance > 255)
        findings.push_back({"StartDistance", std::to_string(settings.StartDistance) + " is outside " +
                                                 Range(0, 255) + ": the editor shows the nearest bound"});
    for (int team = 0; team < mission::kTeamGoalCount; ++team)
        CheckEntry(findings, "TeamGoal " + std::to_string(team + 1),
                   mission.Goals.TeamGoal[static_cast<std::size_t>(team)], mission::GoalBoxItems);
    CheckEntry(findings, "MissionType", mission.Trailer.MissionType, mission::MissionTypeBoxItems);
    return findings;
}

} // namespace skm
