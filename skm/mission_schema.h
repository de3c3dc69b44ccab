// The JSON Schema of the mission JSON, for editors that check and complete a mission written by
// hand.
#pragma once

#include <string>

namespace skm {

// The schema (JSON Schema draft-07) of what ExportJson writes and ImportJson reads: every field by
// name with the range of its stored type, the option list's texts, the lists' lengths, the keys
// that must be given and no others. Ends in a line break; the same every time.
std::string JsonSchema();

} // namespace skm
