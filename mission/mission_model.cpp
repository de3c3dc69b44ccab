// Default values of a new mission and of a cleared flight group.
#include "mission_model.h"

#include "craft_catalogue.h"

#include <stdexcept>
#include <string_view>

namespace mission {

namespace {

// One decimal digit per body integer, Body[0] to Body[30].
constexpr std::string_view kDefaultBodyDigits = "0342156780900123000040012000301";
static_assert(kDefaultBodyDigits.size() == 31);

} // namespace

void NewMission(TMission& mission) {
    mission.Header.MissionName.fill(0);
    mission.Header.HeaderBytes.fill(0);
    mission.Header.HeaderBytes[0] = 6;
    mission.Header.HeaderBytes[4] = 210;
    mission.Header.HeaderBytes[5] = 107;

    mission.Settings =
        TMissionSettings{.TeamCount = 2, .Setting2 = 0, .Arena = 0, .StartDistance = 3, .GlobalsValue = 21};
    mission.Goals.GoalsExtra = {0, 0};
    mission.Trailer = TMissionTrailer{.MissionType = 1, .TrailerExtra = 0};

    for (int slot = 0; slot < kFlightGroupCount; ++slot)
        ClearFlightGroup(mission, slot);
    mission.Goals.TeamGoal.fill(0);
}

void ClearFlightGroup(TMission& mission, int slot) {
    if (slot < 0 || slot >= kFlightGroupCount)
        throw std::out_of_range("flight group slot out of range");
    TFlightGroup& group = mission.FlightGroups[slot];

    // The head: one wave of one craft, no warheads, not primary.
    group.Number = static_cast<std::int16_t>(slot);
    group.CraftType = 0;
    group.HeadBytes.fill(0);
    group.WavesMinusOne = 0;
    group.CraftPerWave = 1;
    group.AiLevel = 2; // Veteran
    group.Order = 1;   // Superiority
    group.Warhead = 0;
    group.Countermeasure = 0;
    group.Beam = 0;
    group.Primary = 0;
    // The first slot of each of the two default teams gets the first craft of the catalogue.
    if (slot == 0 || slot == 8)
        group.CraftType = 1;

    for (std::size_t i = 0; i < kDefaultBodyDigits.size(); ++i)
        group.Body[i] = kDefaultBodyDigits[i] - '0';
    group.Body[31] = 255;
    group.Body[32] = 28;
    for (std::size_t i = 33; i < kBodyCount; ++i)
        group.Body[i] = 0;

    group.Name = DefaultFlightGroupName(slot);
}

} // namespace mission
