#include "team_colours.h"

#include <algorithm>
#include <array>

namespace document {

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

} // namespace

std::uint32_t TeamColour(int team) {
    if (team >= 1 && team <= static_cast<int>(kTeamColours.size()))
        return kTeamColours[static_cast<std::size_t>(team - 1)];
    return kOtherTeamColour;
}

int SlotTeam(int slot, std::int32_t teamCount) {
    const int groupSize = teamCount >= 1 ? mission::kFlightGroupCount / teamCount : 8;
    return slot / std::max(groupSize, 1) + 1;
}

void AssignTeamColours(mission::TMission& mission) {
    for (int slot = 0; slot < mission::kFlightGroupCount; ++slot)
        mission.FlightGroups[static_cast<std::size_t>(slot)].Colour =
            TeamColour(SlotTeam(slot, mission.Settings.TeamCount));
}

} // namespace document
