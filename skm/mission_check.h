// What `quarnel-skm check` reports: what the editor would warn about in a mission, or cannot show.
#pragma once

#include "mission_model.h"

#include <cstdint>
#include <string>
#include <vector>

namespace skm {

struct TFinding {
    std::string Field;   // in the words of show: "length", "FG 3 CraftType", "TeamCount"
    std::string Message; // "255 has no craft (0 to 231): the editor cannot list this flight group"
};

// The findings for a mission read from a file of fileSize bytes, in the order of show's lines.
std::vector<TFinding> CheckMission(const mission::TMission& mission, std::uintmax_t fileSize);

} // namespace skm
