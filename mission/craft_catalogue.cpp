// The craft catalogue and option lists, entry for entry; trailing spaces are part of the texts.
#include "craft_catalogue.h"

#include "errors.h"

#include <algorithm>
#include <stdexcept>
#include <string>

namespace mission {

EListError::EListError(int index)
    : text::EUserError("List index out of bounds (" + std::to_string(index) + ")"), Index(index) {}

const std::array<TCraftRow, kCraftCount> CraftCatalogue = {{
    {"(None)", "---"},                                       // 0
    {"Xwing", "X-W"},                                        // 1
    {"Ywing", "Y-W"},                                        // 2
    {"Awing", "A-W"},                                        // 3
    {"Bwing", "B-W"},                                        // 4
    {"TIE Fighter", "T/F"},                                  // 5
    {"TIE Interceptor", "T/I"},                              // 6
    {"TIE Bomber", "T/B"},                                   // 7
    {"TIE Advanced", "T/A"},                                 // 8
    {"TIE Defender ", "T/D"},                                // 9
    {"Authority IRD", "IRD"},                                // 10
    {"Toscan Fighter", "TOS"},                               // 11
    {"Missile Boat", "MIS"},                                 // 12
    {"Twing", "T/W"},                                        // 13
    {"Z-95", "Z-95"},                                        // 14
    {"R-41", "R-41"},                                        // 15
    {"Gunboat", "GUN"},                                      // 16
    {"Shuttle", "SHU"},                                      // 17
    {"Escort Shuttle ", "E/S"},                              // 18
    {"Sys Patrol Craft", "SPC"},                             // 19
    {"Scout Craft", "SCT"},                                  // 20
    {"Stormtrpr Trans", "TRN"},                              // 21
    {"Assault Trans", "ATR"},                                // 22
    {"Escort Trans", "ETR"},                                 // 23
    {"Tug", "TUG"},                                          // 24
    {"Combat Util Vehicle", "CUV"},                          // 25
    {"CN/A Brick", "CN/A"},                                  // 26
    {"CN/B Hexbox", "CN/B"},                                 // 27
    {"CN/C Tube", "CN/C"},                                   // 28
    {"CN/D Pronged", "CN/D"},                                // 29
    {"Heavy Lifter", "HLF"},                                 // 30
    {"Mole Miner", "Miner"},                                 // 31
    {"Bulk Freighter", "FRT"},                               // 32
    {"Cargo Ferry", "CARG"},                                 // 33
    {"Modular Conveyor", "CNVYR"},                           // 34
    {"Container Trans", "CTRNS"},                            // 35
    {"Rebel Med Transport", "MTRNS"},                        // 36
    {"Muurian Transport", "MUTR"},                           // 37
    {"Corellian Trans", "CORT"},                             // 38
    {"Millenium Falcon", "FALC"},                            // 39
    {"Corvette", "CRV"},                                     // 40
    {"Modified Corvette", "M/CRV"},                          // 41
    {"Nebulon B Frigate", "FRG"},                            // 42
    {"Mod Neb B Frigate,", "M/FRG"},                         // 43
    {"Passenger Liner", "LINER"},                            // 44
    {"Carrack Cruiser", "CRKC"},                             // 45
    {"Strike Cruiser", "STRKC"},                             // 46
    {"Escort Carrier", "ESC"},                               // 47
    {"Dreadnaught", "DREAD"},                                // 48
    {"Calamari Cruiser", "CRS"},                             // 49
    {"Lt Calamari Cruiser", "CRL"},                          // 50
    {"Interdictor", "INT"},                                  // 51
    {"Vict Star Dest", "VSD"},                               // 52
    {"Imp Star Dest", "ISD"},                                // 53
    {"SSD", "SSD"},                                          // 54
    {"CN/E Hemisphere", "CN/E"},                             // 55
    {"CN/F Slotted", "CN/F"},                                // 56
    {"CN/G Hourglass", "CN/G"},                              // 57
    {"CN/H Gem", "CN/H"},                                    // 58
    {"CN/I Y shaped", "CN/I"},                               // 59
    {"Platform 1", "PLT/1"},                                 // 60
    {"Platform 2", "PLT/2"},                                 // 61
    {"Platform 3", "PLT/3"},                                 // 62
    {"Platform 4", "PLT/4"},                                 // 63
    {"Platform 5", "PLT/5"},                                 // 64
    {"Platform 6", "PLT/6"},                                 // 65
    {"Asteroid Hangar", "R&D FC"},                           // 66
    {"Ast Laser Bat", "LAS BAT"},                            // 67
    {"Ast Warhd Launcher", "W LNCHR"},                       // 68
    {"Factory", "FAC/1"},                                    // 69
    {"Satellite1", "SAT"},                                   // 70
    {"Satellite2", "SAT"},                                   // 71
    {"Satellite3", "SAT"},                                   // 72
    {"*Satellite4", "*Sat4"},                                // 73
    {"*Satellite5", "*Sat5"},                                // 74
    {"Mine1", "Mn/T1"},                                      // 75
    {"Mine2", "Mn/T2"},                                      // 76
    {"Mine3", "Mn/T3"},                                      // 77
    {"GunPlatform", "GPLT"},                                 // 78
    {"*Mine5", "*Mine5"},                                    // 79
    {"Probe1", "PROBE/1"},                                   // 80
    {"Probe Capsule", "PROBE"},                              // 81
    {"*Probe3", "PROBE/3"},                                  // 82
    {"Buoy1", "NAV BUOY"},                                   // 83
    {"Buoy2", "BUOY 2"},                                     // 84
    {"Hyper buoy", "HYPER"},                                 // 85
    {"Asteroid", "Asteroid"},                                // 86
    {"Planet", "Planet"},                                    // 87
    {"Rendezvous Buoy", "RDZ BUOY"},                         // 88
    {"Cargo Canister", "C/C"},                               // 89
    {"Shipyard", "SHPYD"},                                   // 90
    {"Repair Yard", "REPYD"},                                // 91
    {"*Mod Strike Cruiser", "M/SC"},                         // 92
    {"Lancer Frigate", "L/FRG"},                             // 93
    {"Bulk Cruiser", "B/CRS"},                               // 94
    {"Assault Frigate", "A/FRG"},                            // 95
    {"Corellian Gunship", "GSP"},                            // 96
    {"Imp Landing Craft", "L/C"},                            // 97
    {"Assault Shuttle", "A/S"},                              // 98
    {"Marauder Corvette", "M-CRV"},                          // 99
    {"Star Galleon", "STARG"},                               // 100
    {"Imp Research Ship", "Imperial Research Ship (?\?\?)"}, // 101
    {"Luxury Yacht 3000", "LT3000"},                         // 102
    {"Ferryboat Liner ", "F/L"},                             // 103
    {"Mod Action Trans", "M/TRN"},                           // 104
    {"Mobquet Transport", "MOB"},                            // 105
    {"Xiytiar Transport", "Xiy/T"},                          // 106
    {"Freight Transport/C", "Frt/C"},                        // 107
    {"Freight Transport/H", "Frt/H"},                        // 108
    {"Freight Transport/K ", "Frt/K"},                       // 109
    {"YT-2000", "YT-2000 CORT"},                             // 110
    {"YT-2400", "YT-2400 CORT"},                             // 111
    {"Suprosa", "Suprosa (MOB)"},                            // 112
    {"Skipray Blastboat", "S/B"},                            // 113
    {"TIE Experimental M1", "T/e1"},                         // 114
    {"TIE Experimental M2", "T/e2"},                         // 115
    {"TIE Experimental M3", "T/e3"},                         // 116
    {"TIE Experimental M4", "T/e4"},                         // 117
    {"TIE Experimental M5", "T/e5"},                         // 118
    {"Cloakshape Fighter", "Clk/F"},                         // 119
    {"Razor Fighter", "Rzr/F"},                              // 120
    {"Planetary Fighter", "Plt/F"},                          // 121
    {"Supa Fighter", "Sup/F"},                               // 122
    {"Pinook Fighter", "Pnk/F"},                             // 123
    {"*Booster Pack", "B/R"},                                // 124
    {"Preybird Fighter", "Pry/F"},                           // 125
    {"*StarViper", "*Xizor Fighter"},                        // 126
    {"Firespray", "FRS"},                                    // 127
    {"Pursuer", "PES"},                                      // 128
    {"Golan One,Station", "G/1"},                            // 129
    {"Golan Two,Station", "G/2"},                            // 130
    {"Golan Three,Station", "G/3"},                          // 131
    {"Derilyn Platform", "D/P"},                             // 132
    {"Sensor Array", "S/ARY"},                               // 133
    {"Comm Relay", "C/RLY"},                                 // 134
    {"Space Colony 1", "SC/1"},                              // 135
    {"Space Colony 2", "SC/2"},                              // 136
    {"Space Colony 3", "SC/3"},                              // 137
    {"Casino", "CAS"},                                       // 138
    {"Cargo Facility 1", "C/F1"},                            // 139
    {"Cargo Facility 2", "C/F2"},                            // 140
    {"Ast Mining Unit", "AMU"},                              // 141
    {"Processing Plant", "PP"},                              // 142
    {"Rebel Platform", "BASE"},                              // 143
    {"Imp Research Center", "IRC"},                          // 144
    {"Family Base", "AZZ"},                                  // 145
    {"Family Repair Yard", "RY/2"},                          // 146
    {"Pirate Ship Yard", "Pirate Ship Yard (SHPYD)"},        // 147
    {"Industrial Complex", "FAC/2"},                         // 148
    {"*Pirate Junkyd Base", "Pirate Junk Yard"},             // 149
    {"Escape Pod Type 1 ", "E-POD"},                         // 150
    {"Pressure Tank", "Pr/Tk"},                              // 151
    {"CN/J Grande", "CN/J"},                                 // 152
    {"CN/K Box", "CN/K"},                                    // 153
    {"CN/L Sphere", "CN/L"},                                 // 154
    {"CN/Hangar", "CN/Hgr"},                                 // 155
    {"Lrg Gun Emplace", "G/P"},                              // 156
    {"Lrg Gun/Wrhd Empl", "GW/P"},                           // 157
    {"Proximity Mine A", "PM/1"},                            // 158
    {"Proximity Mine B", "PM/2"},                            // 159
    {"*Homing Mine A", "*Homing Mine A"},                    // 160
    {"Homing Mine B", "*Homing Mine B (HM/2)"},              // 161
    {"New Laser battery", "L/B"},                            // 162
    {"New Ion battery", "I/B"},                              // 163
    {"Cargo Freighter", "CF"},                               // 164
    {"*Cargo Freighter 2", "Cargo Freighter 2"},             // 165
    {"*Cargo Freighter 3", "Cargo Freighter 3"},             // 166
    {"*Cargo Freighter 4", "Cargo Freighter 4"},             // 167
    {"*Cargo Freighter 5", "Cargo Freighter 5"},             // 168
    {"Cargo Tanker", "CT"},                                  // 169
    {"*Cargo Tanker 2", "Cargo Tanker 2"},                   // 170
    {"*Cargo Tanker 3", "NAME!Cargo Tanker 3"},              // 171
    {"*Cargo Tanker 4", "NAME!Cargo Tanker 4"},              // 172
    {"*Cargo Tanker 5", "Cargo Tanker 5"},                   // 173
    {"Escape Pod Type 2", "E-POD/2"},                        // 174
    {"*Rebel Pilot", "Rebel Pilot"},                         // 175
    {"*Imp Pilot", "Imperial Pilot"},                        // 176
    {"*Civ Pilot", "Civ Pilot"},                             // 177
    {"ZeroG Stormtrooper", "ZG/S"},                          // 178
    {"ZeroG Utility", "ZG/U"},                               // 179
    {"Emkay", "MK-09"},                                      // 180
    {"Astromech Droid", "R2-D2"},                            // 181
    {"Worker Droid", "Worker Droid (R2-D2)"},                // 182
    {"BACKDROP,Planet/asteroid", "*Backdrop"},               // 183
    {"*DontUseMe", "*Forest moon of Endor"},                 // 184
    {"*DontUseMe", "*Endor"},                                // 185
    {"*DontUseMe", "*Sullust"},                              // 186
    {"*DontUseMe", "*Bothuwai"},                             // 187
    {"*DontUseMe", "*Kothlis"},                              // 188
    {"*DontUseMe", "*Hoth"},                                 // 189
    {"*DontUseMe", "*Death Star II"},                        // 190
    {"*DontUseMe", "*Nar shadda"},                           // 191
    {"*DontUseMe", "*Planet 10"},                            // 192
    {"*DontUseMe", "*Planet 11"},                            // 193
    {"*DontUseMe", "*Planet 12"},                            // 194
    {"*DontUseMe", "*Planet 13"},                            // 195
    {"*DontUseMe", "*Planet 14"},                            // 196
    {"*DontUseMe", "*Planet 15"},                            // 197
    {"*DontUseMe", "*Moon 1"},                               // 198
    {"*DontUseMe", "*Moon 2"},                               // 199
    {"*DontUseMe", "*Moon 3"},                               // 200
    {"*DontUseMe", "*Moon 4"},                               // 201
    {"*DontUseMe", "*Moon 5"},                               // 202
    {"*DontUseMe", "*Sun 1"},                                // 203
    {"*DontUseMe", "*Sun 2"},                                // 204
    {"*DontUseMe", "*Sun 3"},                                // 205
    {"*DontUseMe", "*Sun 4"},                                // 206
    {"*DontUseMe", "*Sun 5"},                                // 207
    {"*DontUseMe", "*Sun 6"},                                // 208
    {"*DontUseMe", "*Sun 7"},                                // 209
    {"*DontUseMe", "*Sun 8"},                                // 210
    {"*DontUseMe", "*Sun 9"},                                // 211
    {"*DontUseMe", "*Sun 10"},                               // 212
    {"*DontUseMe", "*Backdrop 1"},                           // 213
    {"*DontUseMe", "*Backdrop 2"},                           // 214
    {"*DontUseMe", "*Backdrop 3"},                           // 215
    {"*DontUseMe", "*Backdrop 4"},                           // 216
    {"*DontUseMe", "*Backdrop 5"},                           // 217
    {"*DontUseMe", "*Backdrop 6"},                           // 218
    {"*DontUseMe", "*Backdrop 7"},                           // 219
    {"*DontUseMe", "*Backdrop 8"},                           // 220
    {"*DontUseMe", "*Backdrop 9"},                           // 221
    {"*DontUseMe", "*Backdrop 10"},                          // 222
    {"*DontUseMe", "*Backdrop 11"},                          // 223
    {"*DontUseMe", "*Backdrop 12"},                          // 224
    {"*DontUseMe", "*Backdrop 13"},                          // 225
    {"*DontUseMe", "*Backdrop 14"},                          // 226
    {"Death Star II", "*Backdrop 15"},                       // 227
    {"Calamari Cruiser Type 2", "WCRS"},                     // 228
    {"Vict Star Dest II", "VSDII"},                          // 229
    {"Imp Star Dest II", "ISDII"},                           // 230
    {"*DontUseMe", "*Backdrop 16"},                          // 231
}};

const std::array<std::string_view, 6> AIBoxItems = {
    "Novice ", "Officer ", "Veteran ", "Ace ", "Top Ace ", "Super Ace",
};

const std::array<std::string_view, 7> OrderBoxItems = {
    "No Duty - Craft is stationary",
    "Superiority - Attack Fighters then Primary FGs",
    "Strike - Attack Primary FGs then Fighters",
    "Escort - Protect Primary FGs",
    "Disable - Disable Primary FGs",
    "Capture - Disable and Capture Primary FGs",
    "Recon - Identify Primary FGs",
};

const std::array<std::string_view, 11> MissleBoxItems = {
    "None ",
    "Space Bombs ",
    "Heavy Rockets ",
    "Missiles ",
    "Proton Torpedoes ",
    "Advanced Missiles ",
    "Advanced Torpedoes ",
    "Mag Pulse ",
    "Ion Pulse ",
    "(Advanced Mag Pulse)",
    "(Advanced Ion Pulse)",
};

const std::array<std::string_view, 4> CounterBoxItems = {"None ", "Chaff ", "Flare ", "(Cluster Mine)"};

const std::array<std::string_view, 5> BeamBoxItems = {
    "None ", "Tractor Beam ", "Jamming Beam ", "Decoy Beam ", "(Energy Beam)",
};

const std::array<std::string_view, 5> GoalBoxItems = {
    "Destroy All Flight Groups ",
    "Destroy All Primary Flight Groups ",
    "Capture All Primary Flight Groups ",
    "Inspect All Primary Flight Groups ",
    "Inspect and Destroy All Primary Flight Groups",
};

const std::array<std::string_view, 6> ArenaBoxItems = {
    "Open Space", "Asteroid Field", "Minefield", "(Reactor Core)?", "(Same Region)?", "(Unique Region)?",
};

const std::array<std::string_view, 2> MissionTypeBoxItems = {"Combat", "Melee"};

const std::array<std::string_view, 3> NumTeamsBoxItems = {"2", "4", "8"};

// The first four name the team colours; the rest are the default names of slots 0 to 15.
const std::array<std::string_view, 20> NameBoxItems = {
    "Green", "Red",   "Blue", "Purple", "One",    "Two",    "Three",    "Four",     "Five",    "Six",
    "Seven", "Eight", "Nine", "Ten",    "Eleven", "Twelve", "Thirteen", "Fourteen", "Fifteen", "Sixteen",
};

namespace {

constexpr int kFirstDefaultName = 4;

template <auto Column> std::array<std::string_view, kCraftCount> CatalogueColumn() {
    std::array<std::string_view, kCraftCount> column;
    std::transform(CraftCatalogue.begin(), CraftCatalogue.end(), column.begin(),
                   [](const TCraftRow& row) { return row.*Column; });
    return column;
}

} // namespace

const std::array<std::string_view, kCraftCount> CraftLongNameItems = CatalogueColumn<&TCraftRow::LongName>();
const std::array<std::string_view, kCraftCount> CraftShortNameItems = CatalogueColumn<&TCraftRow::ShortName>();

std::string_view GoalText(std::int32_t goal) {
    const int position = ListPosition(goal, GoalBoxItems.size());
    return position < 0 ? std::string_view{} : GoalBoxItems[position];
}

std::array<std::uint8_t, kNameSize> DefaultFlightGroupName(int slot) {
    if (slot < 0 || slot >= kFlightGroupCount)
        throw std::out_of_range("flight group slot out of range");
    const std::string_view word = NameBoxItems[static_cast<std::size_t>(slot + kFirstDefaultName)];
    std::array<std::uint8_t, kNameSize> name{};
    std::copy_n(word.begin(), std::min(word.size(), name.size()), name.begin());
    return name;
}

int ListPosition(std::int64_t value, std::size_t entryCount) {
    if (value < 0 || static_cast<std::uint64_t>(value) >= entryCount)
        return -1;
    return static_cast<int>(value);
}

} // namespace mission
