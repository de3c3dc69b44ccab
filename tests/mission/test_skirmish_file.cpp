// The file image: exact bytes of a new mission, round trips, short and long files, names.
#include "ansi_text.h"
#include "skirmish_file.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace mission;
using testsupport::ReadBytes;
using testsupport::TempDir;
using testsupport::WriteBytes;

namespace {

std::string FieldTextOf(std::span<const std::uint8_t> field) {
    return std::string(text::FieldText(field));
}

void Put32(std::vector<std::uint8_t>& bytes, std::size_t at, std::int32_t value) {
    const auto u = static_cast<std::uint32_t>(value);
    bytes[at] = u & 0xFF;
    bytes[at + 1] = (u >> 8) & 0xFF;
    bytes[at + 2] = (u >> 16) & 0xFF;
    bytes[at + 3] = (u >> 24) & 0xFF;
}

// What a new mission saved as "<folder>/<stem>.skm" must contain, written out from the file
// layout by hand rather than through the library's encoder.
std::vector<std::uint8_t> ExpectedNewMissionFile(const std::string& stem) {
    std::vector<std::uint8_t> b(5192, 0);
    std::memcpy(b.data(), stem.data(), stem.size());
    b[64] = 6;
    b[68] = 210;
    b[69] = 107;
    const char* names[] = {"One",  "Two", "Three",  "Four",   "Five",     "Six",      "Seven",   "Eight",
                           "Nine", "Ten", "Eleven", "Twelve", "Thirteen", "Fourteen", "Fifteen", "Sixteen"};
    const std::string digits = "0342156780900123000040012000301";
    for (int s = 0; s < 16; ++s) {
        const std::size_t head = 72 + 20 * s;
        b[head] = static_cast<std::uint8_t>(s);
        b[head + 2] = (s == 0 || s == 8) ? 1 : 0;
        b[head + 13] = 1; // craft per wave
        b[head + 14] = 2; // Veteran
        b[head + 15] = 1; // Superiority
        const std::size_t body = 392 + 276 * s;
        for (int i = 0; i < 31; ++i)
            Put32(b, body + 4 * i, digits[i] - '0');
        Put32(b, body + 4 * 31, 255);
        Put32(b, body + 4 * 32, 28);
        std::memcpy(b.data() + 4868 + 20 * s, names[s], std::strlen(names[s]));
    }
    Put32(b, 4808, 2);
    Put32(b, 4820, 3);
    Put32(b, 4824, 21);
    b[5188] = 1;
    return b;
}

TMission NewDefaultMission() {
    TMission m;
    NewMission(m);
    return m;
}

} // namespace

TEST(SkirmishFile, NewMissionSavesTheExpectedBytes) {
    TempDir dir;
    TMission m = NewDefaultMission();
    SaveMission(m, dir / "Alpha.skm");
    EXPECT_EQ(ReadBytes(dir / "Alpha.skm"), ExpectedNewMissionFile("Alpha"));
    EXPECT_EQ(FieldTextOf(m.Header.MissionName), "Alpha") << "the derived name stays in memory";
}

TEST(SkirmishFile, LoadAndSaveKeepEveryByteButTheName) {
    TempDir dir;
    std::vector<std::vector<std::uint8_t>> images = {std::vector<std::uint8_t>(5192, 0),
                                                     std::vector<std::uint8_t>(5192, 0xFF)};
    for (unsigned seed = 1; seed <= 5; ++seed)
        images.push_back(testsupport::RandomBytes(5192, seed));

    for (const auto& original : images) {
        WriteBytes(dir / "Round.skm", original);
        TMission m;
        LoadMission(m, dir / "Round.skm");
        SaveMission(m, dir / "Round.skm");
        auto saved = ReadBytes(dir / "Round.skm");
        ASSERT_EQ(saved.size(), 5192u);
        const auto expectedName = ExpectedNewMissionFile("Round");
        EXPECT_TRUE(std::equal(saved.begin(), saved.begin() + 64, expectedName.begin()));
        EXPECT_TRUE(std::equal(saved.begin() + 64, saved.end(), original.begin() + 64));
    }
}

TEST(SkirmishFile, DecodeThenEncodeIsIdentityForAnyImage) {
    for (unsigned seed = 10; seed < 40; ++seed) {
        const auto bytes = testsupport::RandomBytes(5192, seed);
        TMission m;
        DecodeMission(m, bytes);
        const TSkirmishImage image = EncodeMission(m);
        ASSERT_TRUE(std::equal(image.begin(), image.end(), bytes.begin())) << "seed " << seed;
    }
}

TEST(SkirmishFile, FieldsLandAtTheirOffsets) {
    TMission m = NewDefaultMission();
    m.FlightGroups[3].Number = -2;
    m.FlightGroups[3].WavesMinusOne = 0xAB;
    m.FlightGroups[15].Primary = 1;
    m.FlightGroups[5].Body[68] = -1;
    m.Settings.GlobalsValue = 0x01020304;
    m.Goals.TeamGoal[7] = 4;
    m.Goals.GoalsExtra[1] = 0x7F000001;
    m.FlightGroups[15].Name[19] = 'Z';
    m.Trailer.MissionType = -1;
    m.Trailer.TrailerExtra = 0x1234;
    const TSkirmishImage b = EncodeMission(m);
    EXPECT_EQ(b[72 + 60], 0xFE);
    EXPECT_EQ(b[72 + 61], 0xFF);
    EXPECT_EQ(b[72 + 60 + 12], 0xAB);
    EXPECT_EQ(b[72 + 300 + 19], 1);
    EXPECT_EQ(b[392 + 276 * 5 + 272], 0xFF);
    EXPECT_EQ(b[4824], 4);
    EXPECT_EQ(b[4827], 1);
    EXPECT_EQ(b[4828 + 28], 4);
    EXPECT_EQ(b[4864 + 3], 0x7F);
    EXPECT_EQ(b[4868 + 300 + 19], 'Z');
    EXPECT_EQ(b[5188], 0xFF);
    EXPECT_EQ(b[5189], 0xFF);
    EXPECT_EQ(b[5190], 0x34);
    EXPECT_EQ(b[5191], 0x12);
}

TEST(SkirmishFile, ShortFilesLoadWithZeroesPastTheirEnd) {
    TempDir dir;
    for (const std::size_t length :
         {std::size_t{0}, std::size_t{1}, std::size_t{71}, std::size_t{4810}, std::size_t{5191}}) {
        const auto full = testsupport::RandomBytes(5192, static_cast<unsigned>(length));
        WriteBytes(dir / "Short.skm", std::vector(full.begin(), full.begin() + static_cast<long>(length)));
        TMission m = NewDefaultMission();
        EXPECT_EQ(LoadMission(m, dir / "Short.skm"), length) << "the caller is told the file's length";
        const TSkirmishImage image = EncodeMission(m);
        for (std::size_t i = 0; i < 5192; ++i)
            ASSERT_EQ(image[i], i < length ? full[i] : 0) << "length " << length << " byte " << i;
    }
}

TEST(SkirmishFile, LongFilesLoseTheirTailOnTheNextSave) {
    TempDir dir;
    const auto bytes = testsupport::RandomBytes(9000, 7);
    WriteBytes(dir / "Long.skm", bytes);
    TMission m;
    EXPECT_EQ(LoadMission(m, dir / "Long.skm"), 9000u) << "the caller is told the file's length";
    SaveMission(m, dir / "Long.skm");
    const auto saved = ReadBytes(dir / "Long.skm");
    ASSERT_EQ(saved.size(), 5192u);
    EXPECT_TRUE(std::equal(saved.begin() + 64, saved.end(), bytes.begin() + 64));
}

TEST(SkirmishFile, SaveAndLoadGiveTheSameImage) {
    TempDir dir;
    std::filesystem::create_directory(dir / "folder");
    TMission m = NewDefaultMission();
    m.FlightGroups[2].CraftType = 200;
    SaveMission(m, dir / "folder/Stream.skm");
    EXPECT_EQ(ReadBytes(dir / "folder/Stream.skm").size(), 5192u);
    TMission back;
    LoadMission(back, dir / "folder/Stream.skm");
    EXPECT_EQ(EncodeMission(back), EncodeMission(m));
    EXPECT_EQ(FieldTextOf(back.Header.MissionName), "Stream");
}

TEST(SkirmishFile, MissionNameComesFromTheFileName) {
    const std::string sixtyFive(65, 'n');
    const struct {
        std::string path;
        std::string name;
    } cases[] = {
        {"/tmp/Alpha.skm", "Alpha"},
        {"Fleet.dat", "Fleet"},
        {"A.b", ""},
        {"abcd", ""},
        {"/x/abcde", "a"},
        {"/folder.skm/Beta.skm", "Beta"},
        {"/x/" + sixtyFive + ".skm", sixtyFive.substr(0, 64)},
        {"/x/Caf\xC3\xA9.skm", "Caf\xE9"},            // UTF-8 file name, 8-bit stored name
        {"/x/\xE2\x82\xAC\xE6\x97\xA5.skm", "\x80?"}, // euro sign and a character without a byte
    };
    for (const auto& c : cases) {
        const auto name = MissionNameFromPath(c.path);
        EXPECT_EQ(FieldTextOf(name), c.name) << c.path;
        if (c.name.size() < 64) {
            EXPECT_TRUE(std::all_of(name.begin() + static_cast<long>(c.name.size()), name.end(), [](auto b) {
                return b == 0;
            })) << c.path;
        }
    }
}
