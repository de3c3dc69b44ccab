// Defaults of a new mission and of a cleared slot, and the field addressing the editor uses.
#include "ansi_text.h"
#include "mission_model.h"
#include "skirmish_file.h"
#include "test_support.h"

#include <gtest/gtest.h>

using namespace mission;

TEST(MissionModel, NewMissionDefaults) {
    TMission m;
    DecodeMission(m, testsupport::RandomBytes(5192, 99)); // start from noise
    NewMission(m);
    EXPECT_EQ(m.Settings, (TMissionSettings{2, 0, 0, 3, 21}));
    EXPECT_EQ(m.Trailer, (TMissionTrailer{1, 0}));
    EXPECT_EQ(m.Goals.TeamGoal, (std::array<std::int32_t, 8>{}));
    EXPECT_EQ(m.Goals.GoalsExtra, (std::array<std::int32_t, 2>{}));
    EXPECT_EQ(m.Header.HeaderBytes, (std::array<std::uint8_t, 8>{6, 0, 0, 0, 210, 107, 0, 0}));
    for (int s = 0; s < 16; ++s) {
        const TFlightGroup& g = m.FlightGroups[s];
        EXPECT_EQ(g.Number, s);
        EXPECT_EQ(g.CraftType, (s == 0 || s == 8) ? 1 : 0) << s;
        EXPECT_EQ(g.WavesMinusOne, 0);
        EXPECT_EQ(g.CraftPerWave, 1);
        EXPECT_EQ(g.AiLevel, 2);
        EXPECT_EQ(g.Order, 1);
        EXPECT_EQ(g.Warhead + g.Countermeasure + g.Beam + g.Primary, 0);
        EXPECT_EQ(g.HeadBytes, (std::array<std::uint8_t, 9>{}));
    }
    EXPECT_EQ(text::FieldText(m.FlightGroups[0].Name), "One");
    EXPECT_EQ(text::FieldText(m.FlightGroups[8].Name), "Nine");
    EXPECT_EQ(text::FieldText(m.FlightGroups[15].Name), "Sixteen");
}

TEST(MissionModel, ClearedSlotIsTheSameWhateverItHeld) {
    TMission noisy;
    DecodeMission(noisy, testsupport::RandomBytes(5192, 1));
    TMission clean;
    NewMission(clean);
    for (int s = 0; s < 16; ++s) {
        ClearFlightGroup(noisy, s);
        const auto noisyImage = EncodeMission(noisy);
        const auto cleanImage = EncodeMission(clean);
        EXPECT_TRUE(std::equal(noisyImage.begin() + 72 + 20 * s, noisyImage.begin() + 92 + 20 * s,
                               cleanImage.begin() + 72 + 20 * s))
            << "head of slot " << s;
        EXPECT_EQ(noisy.FlightGroups[s].Body, clean.FlightGroups[s].Body) << s;
        EXPECT_EQ(noisy.FlightGroups[s].Name, clean.FlightGroups[s].Name) << s;
    }
    EXPECT_EQ(clean.FlightGroups[4].Body[30], 1);
    EXPECT_EQ(clean.FlightGroups[4].Body[31], 255);
    EXPECT_EQ(clean.FlightGroups[4].Body[32], 28);
    EXPECT_EQ(clean.FlightGroups[4].Body[1], 3);
}

TEST(MissionModel, ClearRewritesTheSlotNumber) {
    TMission m;
    NewMission(m);
    m.FlightGroups[5].Number = 12;
    m.Settings.TeamCount = 4;
    ClearFlightGroup(m, 5);
    EXPECT_EQ(m.FlightGroups[5].Number, 5);
    ClearFlightGroup(m, 8);
    EXPECT_EQ(m.FlightGroups[8].CraftType, 1) << "slot 8 is an X-wing group whatever the team count";
    EXPECT_THROW(ClearFlightGroup(m, 16), std::out_of_range);
}

// The head bytes the editor's tags address (tag t is byte 2 + t) hold the fields it binds.
TEST(MissionModel, HeadBytesHoldTheirFields) {
    TFlightGroup g;
    const struct {
        int offset;
        std::uint8_t TFlightGroup::*field;
    } fields[] = {
        {2, &TFlightGroup::CraftType},       {12, &TFlightGroup::WavesMinusOne},
        {13, &TFlightGroup::CraftPerWave},   {14, &TFlightGroup::AiLevel},
        {15, &TFlightGroup::Order},          {16, &TFlightGroup::Warhead},
        {17, &TFlightGroup::Countermeasure}, {18, &TFlightGroup::Beam},
        {19, &TFlightGroup::Primary},
    };
    std::uint8_t value = 40;
    for (const auto& f : fields)
        g.*f.field = ++value;
    g.HeadBytes[2] = 0x99;
    g.Number = -32768;
    const THeadImage head = EncodeHead(g);
    value = 40;
    for (const auto& f : fields)
        EXPECT_EQ(head[static_cast<std::size_t>(f.offset)], ++value) << f.offset;
    EXPECT_EQ(head[5], 0x99);
    EXPECT_EQ(head[1], 0x80);
}

TEST(MissionModel, FlightGroupsCopyAsValues) {
    TMission m;
    NewMission(m);
    m.FlightGroups[3].Colour = 0xFF00FF;
    m.FlightGroups[3].ListText = "line";
    TFlightGroup copy = m.FlightGroups[3];
    m.FlightGroups[3].Body[0] = 77;
    EXPECT_EQ(copy.Number, 3);
    EXPECT_EQ(copy.Colour, 0xFF00FFu);
    EXPECT_EQ(copy.ListText, "line");
    EXPECT_EQ(copy.Body[0], 0);
}
