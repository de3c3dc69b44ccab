// The in-memory skirmish mission: its records, their widths, and the default values.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace mission {

inline constexpr int kFlightGroupCount = 16;
inline constexpr int kTeamGoalCount = 8;
inline constexpr int kBodyCount = 69;

// The widths of the byte fields; the blocks' sizes and places follow from the records' fields
// (skirmish_layout.h).
inline constexpr std::size_t kMissionNameSize = 64;
inline constexpr std::size_t kHeaderBytesSize = 8;
inline constexpr std::size_t kNameSize = 20;

struct TMissionHeader {
    std::array<std::uint8_t, kMissionNameSize> MissionName{};
    std::array<std::uint8_t, kHeaderBytesSize> HeaderBytes{};

    bool operator==(const TMissionHeader&) const = default;
};

struct TFlightGroup {
    // Head, 20 bytes.
    std::int16_t Number = 0;
    std::uint8_t CraftType = 0;
    std::array<std::uint8_t, 9> HeadBytes{};
    std::uint8_t WavesMinusOne = 0;
    std::uint8_t CraftPerWave = 0;
    std::uint8_t AiLevel = 0;
    std::uint8_t Order = 0;
    std::uint8_t Warhead = 0;
    std::uint8_t Countermeasure = 0;
    std::uint8_t Beam = 0;
    std::uint8_t Primary = 0;
    // Body, 276 bytes.
    std::array<std::int32_t, kBodyCount> Body{};
    // Name, 20 bytes of 8-bit text.
    std::array<std::uint8_t, kNameSize> Name{};

    // Kept in memory only, never stored: the team colour (0x00BBGGRR) and the list line.
    std::uint32_t Colour = 0;
    std::string ListText;

    bool operator==(const TFlightGroup&) const = default;
};

struct TMissionSettings {
    std::int32_t TeamCount = 0;
    std::int32_t Setting2 = 0;
    std::int32_t Arena = 0;
    std::int32_t StartDistance = 0;
    std::int32_t GlobalsValue = 0;

    bool operator==(const TMissionSettings&) const = default;
};

struct TTeamGoals {
    std::array<std::int32_t, kTeamGoalCount> TeamGoal{};
    std::array<std::int32_t, 2> GoalsExtra{};

    bool operator==(const TTeamGoals&) const = default;
};

struct TMissionTrailer {
    std::int16_t MissionType = 0;
    std::int16_t TrailerExtra = 0;

    bool operator==(const TMissionTrailer&) const = default;
};

struct TMission {
    TMissionHeader Header;
    std::array<TFlightGroup, kFlightGroupCount> FlightGroups;
    TMissionSettings Settings;
    TTeamGoals Goals;
    TMissionTrailer Trailer;

    bool operator==(const TMission&) const = default;
};

// Resets the whole document to a new default mission.
void NewMission(TMission& mission);

// Resets one slot (0 to 15) to its defaults; every stored field of the slot is written.
void ClearFlightGroup(TMission& mission, int slot);

} // namespace mission
