// The mission as lines of text, one field a line: what `quarnel-skm show` prints and what
// `quarnel-skm diff` compares.
#pragma once

#include "mission_model.h"

#include <string>
#include <vector>

namespace skm {

struct TShowLine {
    std::string Field; // "MissionName", "FG 3 CraftType", "TeamGoal 2"
    std::string Value; // "1 \"Xwing\" short \"X-W\""

    bool operator==(const TShowLine&) const = default;
};

// Every stored field, the same fields in the same order for every mission: the header, each
// flight group by slot (head, body, name), the settings, the team goals, the trailer.
std::vector<TShowLine> ShowLines(const mission::TMission& mission);

// "Field: Value" and a line break.
std::string FormatShowLine(const TShowLine& line);

} // namespace skm
