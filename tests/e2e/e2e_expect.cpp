// Writes the file the end-to-end test expects the editor to have saved, built from the mission
// library: a new mission with the test's edits, named after the file.
#include "skirmish_file.h"

#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
    if (argc != 3 || (std::strcmp(argv[2], "first") != 0 && std::strcmp(argv[2], "second") != 0)) {
        std::fprintf(stderr, "usage: e2e_expect <file> first|second\n");
        return 2;
    }
    mission::TMission m;
    mission::NewMission(m);
    // The edits the test types into slot 9 (index 8) and the mission fields.
    mission::TFlightGroup& g = m.FlightGroups[8];
    g.WavesMinusOne = 2;
    g.CraftPerWave = 4;
    g.Body[11] = 16;
    g.Name = {};
    std::memcpy(g.Name.data(), "Rogue", 5);
    m.Settings.TeamCount = 4;
    m.Settings.GlobalsValue = -5;
    if (std::strcmp(argv[2], "second") == 0)
        m.Header.HeaderBytes[0] = 9;
    try {
        mission::SaveMission(m, argv[1]);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
