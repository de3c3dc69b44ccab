// The teams the flight group slots belong to and their colours.
#pragma once

#include "mission_model.h"

#include <cstdint>

namespace document {

// The colour of a team, numbered from 1, as 0x00BBGGRR.
std::uint32_t TeamColour(int team);

// The team a slot belongs to: the slots are dealt out in blocks of 16 / teamCount (8 for a count
// below one), so a count above 16 makes every slot a team of its own.
int SlotTeam(int slot, std::int32_t teamCount);

// Gives every flight group its team's colour.
void AssignTeamColours(mission::TMission& mission);

} // namespace document
