// Writes the file the end-to-end tests expect the editor to have saved, built from the mission
// library and named after the file: a new mission with the test's edits ("first", "second"), or
// a new mission as it is ("new").
#include "skirmish_file.h"

#include <cstdio>
#include <cstring>

namespace {

// The edits the test types into slot 9 (index 8) and the mission fields.
void ApplyEdits(mission::TMission& m, bool second) {
    mission::TFlightGroup& g = m.FlightGroups[8];
    g.WavesMinusOne = 2;
    g.CraftPerWave = 4;
    g.Body[11] = 16;
    g.Name = {};
    std::memcpy(g.Name.data(), "Rogue", 5);
    m.Settings.TeamCount = 4;
    m.Settings.GlobalsValue = -5;
    if (second)
        m.Header.HeaderBytes[0] = 9;
}

} // namespace

int main(int argc, char** argv) {
    const bool known = argc == 3 && (std::strcmp(argv[2], "first") == 0 ||
                                     std::strcmp(argv[2], "second") == 0 || std::strcmp(argv[2], "new") == 0);
    if (!known) {
        std::fprintf(stderr, "usage: e2e_expect <file> first|second|new\n");
        return 2;
    }
    mission::TMission m;
    mission::NewMission(m);
    if (std::strcmp(argv[2], "new") != 0)
        ApplyEdits(m, std::strcmp(argv[2], "second") == 0);
    try {
        mission::SaveMission(m, argv[1]);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
