// The craft catalogue and the option lists that give stored numbers their texts.
#pragma once

#include "mission_model.h"

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

namespace mission {

struct TCraftRow {
    std::string_view LongName;  // shown in the craft drop-down list
    std::string_view ShortName; // shown in the flight group list
};

inline constexpr int kCraftCount = 232;

extern const std::array<TCraftRow, kCraftCount> CraftCatalogue;
// Its two columns as lists.
extern const std::array<std::string_view, kCraftCount> CraftLongNameItems;
extern const std::array<std::string_view, kCraftCount> CraftShortNameItems;

// The option lists, in the order of their entries. A drop-down list stores the position of the
// chosen entry; NumTeamsBoxItems and NameBoxItems are only suggestions for free text.
extern const std::array<std::string_view, 6> AIBoxItems;
extern const std::array<std::string_view, 7> OrderBoxItems;
extern const std::array<std::string_view, 11> MissleBoxItems;
extern const std::array<std::string_view, 4> CounterBoxItems;
extern const std::array<std::string_view, 5> BeamBoxItems;
extern const std::array<std::string_view, 5> GoalBoxItems;
extern const std::array<std::string_view, 6> ArenaBoxItems;
extern const std::array<std::string_view, 2> MissionTypeBoxItems;
extern const std::array<std::string_view, 3> NumTeamsBoxItems;
extern const std::array<std::string_view, 20> NameBoxItems;

// The goal list's entry for a stored goal; empty for a value without an entry.
std::string_view GoalText(std::int32_t goal);

// The 20-byte default name of slot 0 to 15: "One" to "Sixteen", zero-filled.
std::array<std::uint8_t, kNameSize> DefaultFlightGroupName(int slot);

// The list position that shows a stored value: the value itself when it has an entry,
// otherwise -1 (no selection). Callers pass the field widened by its own type, so an unsigned
// byte arrives as 0 to 255 and a signed 16-bit field as -32768 to 32767.
int ListPosition(std::int64_t value, std::size_t entryCount);

} // namespace mission
