// quarnel-skm's library: export and import give back every byte, bad JSON is refused naming the
// field, and check finds what the editor cannot show.
#include "mission_check.h"
#include "mission_json.h"
#include "mission_schema.h"
#include "mission_show.h"
#include "skirmish_file.h"
#include "test_support.h"

#include <nlohmann/json.hpp>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>

using namespace mission;
using testsupport::RandomBytes;
using testsupport::TempDir;
using testsupport::WriteBytes;

namespace {

TMission FromBytes(const std::vector<std::uint8_t>& bytes) {
    TMission m;
    DecodeMission(m, bytes);
    return m;
}

TMission NewDefaultMission() {
    TMission m;
    NewMission(m);
    return m;
}

// The test missions: a new one, all zeros, all 0xFF, random ones, and texts that hold more than
// their text, fill their width, or use every 8-bit character, the undefined ones of the code page
// and the ones JSON must escape included.
std::vector<std::vector<std::uint8_t>> TestMissions() {
    std::vector<std::vector<std::uint8_t>> images;
    const TSkirmishImage fresh = EncodeMission(NewDefaultMission());
    images.emplace_back(fresh.begin(), fresh.end());
    images.emplace_back(kSkirmishFileSize, 0);
    images.emplace_back(kSkirmishFileSize, 0xFF);
    for (unsigned seed = 1; seed <= 3; ++seed)
        images.push_back(RandomBytes(kSkirmishFileSize, seed));
    std::vector<std::uint8_t> texts(fresh.begin(), fresh.end());
    for (std::size_t i = 0; i < kMissionNameSize; ++i)
        texts[i] = static_cast<std::uint8_t>(1 + i * 4); // every byte but zero, up to 0xFD
    const char tail[] = "Red\0\0\xFF\x01";               // a text with bytes after its end
    std::memcpy(texts.data() + kNamesOffset, tail, sizeof tail - 1);
    std::memset(texts.data() + kNamesOffset + kNameSize, 'W', kNameSize); // fills its width
    const char quoted[] = "\"\\\x7F\x81\x8D\x8F\x90\x9D\x80\xFE";
    std::memcpy(texts.data() + kNamesOffset + 2 * kNameSize, quoted, sizeof quoted - 1);
    images.push_back(texts);
    return images;
}

std::string ImportError(const std::string& json) {
    try {
        skm::ImportJson(json);
    } catch (const skm::EJsonError& error) {
        return error.what();
    }
    return "accepted";
}

} // namespace

TEST(SkmJson, ExportThenImportGivesBackEveryByte) {
    for (const auto& image : TestMissions()) {
        const TMission back = skm::ImportJson(skm::ExportJson(FromBytes(image)));
        const TSkirmishImage bytes = EncodeMission(back);
        EXPECT_TRUE(std::equal(bytes.begin(), bytes.end(), image.begin(), image.end()))
            << skm::ExportJson(FromBytes(image));
    }
}

TEST(SkmJson, ExportNamesEachFieldWithItsEntry) {
    const auto json = nlohmann::json::parse(skm::ExportJson(NewDefaultMission()));
    EXPECT_EQ(json["format"], "quarnel-skm mission");
    EXPECT_EQ(json["formatVersion"], 1);
    const auto& first = json["FlightGroups"][0];
    EXPECT_EQ(first["CraftType"], 1);
    EXPECT_EQ(first["CraftTypeText"], "Xwing");
    EXPECT_EQ(first["CraftTypeShortText"], "X-W");
    EXPECT_EQ(first["AiLevelText"], "Veteran") << "without the list entry's trailing space";
    EXPECT_EQ(first["Name"], "One");
    EXPECT_FALSE(first.contains("NameBytes")) << "a zero-padded name needs no bytes beside it";
    EXPECT_EQ(json["Goals"]["TeamGoalText"][7], "Destroy All Flight Groups");
    EXPECT_EQ(json["Trailer"]["MissionTypeText"], "Melee");

    TMission odd = NewDefaultMission();
    odd.FlightGroups[3].CraftType = 232;
    odd.Goals.TeamGoal[2] = -1;
    const auto oddJson = nlohmann::json::parse(skm::ExportJson(odd));
    EXPECT_FALSE(oddJson["FlightGroups"][3].contains("CraftTypeText"))
        << "a value without an entry is a number";
    EXPECT_TRUE(oddJson["Goals"]["TeamGoalText"][2].is_null());
}

TEST(SkmJson, ImportTakesTheNumbersAndAChangedNameAsTheEditorStoresIt) {
    std::vector<std::uint8_t> image = RandomBytes(kSkirmishFileSize, 7);
    const char name[] = "Red\0\xFF\xFF";
    std::memcpy(image.data() + kNamesOffset, name, sizeof name - 1);
    auto json = nlohmann::json::parse(skm::ExportJson(FromBytes(image)));
    auto& first = json["FlightGroups"][0];
    ASSERT_TRUE(first.contains("NameBytes"));
    first["CraftType"] = 5;
    first["CraftTypeText"] = "Xwing"; // for reading only: the number counts
    first["Name"] = "Gold Leader";
    const TMission m = skm::ImportJson(json.dump());
    EXPECT_EQ(m.FlightGroups[0].CraftType, 5);
    std::array<std::uint8_t, kNameSize> expected{};
    std::memcpy(expected.data(), "Gold Leader", 11);
    EXPECT_EQ(m.FlightGroups[0].Name, expected) << "a changed name drops the old bytes after it";
}

TEST(SkmJson, BadJsonIsRefusedNamingTheFieldAndTheRange) {
    const std::string good = skm::ExportJson(NewDefaultMission());
    const auto edited = [&](auto change) {
        auto json = nlohmann::json::parse(good);
        change(json);
        return json.dump(1);
    };
    using nlohmann::json;
    const struct {
        std::string Json;
        std::string Error;
    } cases[] = {
        {edited([](json& j) { j["FlightGroups"][2].erase("AiLevel"); }), "FlightGroups[2].AiLevel: missing"},
        {edited([](json& j) { j["FlightGroups"][0]["CraftType"] = "5"; }),
         "FlightGroups[0].CraftType: expected a whole number from 0 to 255, found the text \"5\""},
        {edited([](json& j) { j["Settings"]["Arena"] = 1.5; }),
         "Settings.Arena: expected a whole number from -2147483648 to 2147483647, found the number 1.5"},
        {edited([](json& j) { j["FlightGroups"][15]["CraftType"] = 256; }),
         "FlightGroups[15].CraftType: 256 is out of range 0 to 255"},
        {edited([](json& j) { j["FlightGroups"][1]["Number"] = -32769; }),
         "FlightGroups[1].Number: -32769 is out of range -32768 to 32767"},
        {edited([](json& j) { j["FlightGroups"][4]["Body"][68] = 2147483648LL; }),
         "FlightGroups[4].Body[68]: 2147483648 is out of range -2147483648 to 2147483647"},
        {edited([](json& j) { j["Goals"]["TeamGoal"].erase(7); }),
         "Goals.TeamGoal: expected 8 numbers, found 7"},
        {edited([](json& j) { j["FlightGroups"].erase(0); }),
         "FlightGroups: expected 16 flight groups, found 15"},
        {edited([](json& j) { j["Trailer"]["Missiontype"] = 0; }),
         "Trailer.Missiontype: not a field of a mission"},
        {edited([](json& j) { j["FlightGroups"][0]["Name"] = "Twenty-one characters"; }),
         "FlightGroups[0].Name: is 21 characters long, at most 20 fit"},
        {edited([](json& j) { j["Header"]["MissionName"] = "\xCE\xA9mega"; }),
         "Header.MissionName: has a character that the game's character set (Windows-1252) lacks"},
        {edited([](json& j) { j["formatVersion"] = 2; }),
         "formatVersion: 2 is not a version this program reads (1)"},
        {"[1, 2]", "the JSON: expected an object, found a list"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ImportError(c.Json), c.Error);
}

TEST(SkmJson, JsonThatDoesNotParseSaysWhere) {
    const struct {
        std::string Json;
        int Line;
        int Column;
    } cases[] = {
        {"{\n  \"format\": \"quarnel-skm mission\",\n  \"formatVersion\": 1,,\n}", 3, 22},
        {"{\n  \"Header\": {\"MissionName\": \"A\n\"}}", 2, 31},
        {"", 1, 1},
    };
    for (const auto& c : cases) {
        try {
            skm::ImportJson(c.Json);
            ADD_FAILURE() << "accepted: " << c.Json;
        } catch (const skm::EJsonError& error) {
            EXPECT_EQ(error.Line, c.Line) << error.what();
            EXPECT_EQ(error.Column, c.Column) << error.what();
            EXPECT_EQ(std::string(error.what()).rfind("not JSON: ", 0), 0U) << error.what();
        }
    }
}

TEST(SkmJson, InputNoMissionCouldBeIsRefusedEarlyAndSaidSafely) {
    const std::string good = skm::ExportJson(NewDefaultMission());
    std::string duplicated = good;
    duplicated.insert(duplicated.find("\"Primary\"", duplicated.find("FlightGroups")), "\"Primary\": 1,\n");
    std::string nested = good;
    nested.insert(1, "\"x\": " + std::string(1 << 20, '['));
    std::string longList = "{\"FlightGroups\": [0";
    for (int i = 0; i < 100000; ++i)
        longList += ",1";
    longList += "]}";
    const int afterLastLine = 1 + static_cast<int>(std::count(good.begin(), good.end(), '\n'));
    const struct {
        const char* What;
        std::string Json;
        std::string Error; // the start of the message
        int Line = 0;
        int Column = 0;
    } cases[] = {
        {"nesting", std::string(16 << 20, '['), "not JSON: nested more than 64 levels deep", 1, 65},
        {"nesting after a key", nested, "not JSON: nested more than 64 levels deep", 1, 70},
        {"a zero byte and more after the JSON", good + std::string("\0garbage", 8),
         "not JSON: a zero byte", afterLastLine, 1},
        {"a number too large for a double", "{\n  \"format\": 1e400}",
         "format: 1e400 is a number too large for any field", 2, 13},
        {"a number too large for a double, in a list", "{\"FlightGroups\": [{}, {\"Body\": [0, -1e999]}]}",
         "FlightGroups[1].Body[1]: -1e999 is a number too large for any field", 1, 36},
        {"a list longer than any", longList, "FlightGroups: holds more than 1024 values"},
        {"a key given twice", duplicated, "FlightGroups[0].Primary: given twice"},
        {"a key given twice, at the top", "{\"format\": 1, \"format\": 2}", "format: given twice"},
        {"a key with a line break and an escape",
         "{\"format\": \"quarnel-skm mission\", \"Bad\\nKey\\u001b[31m\\u009b\": 1}",
         "Bad\\nKey\\u001b[31m\\u009b: not a field of a mission"},
    };
    for (const auto& c : cases) {
        try {
            skm::ImportJson(c.Json);
            ADD_FAILURE() << c.What << ": accepted";
        } catch (const skm::EJsonError& error) {
            EXPECT_EQ(std::string(error.what()).substr(0, c.Error.size()), c.Error) << c.What;
            EXPECT_EQ(error.Line, c.Line) << c.What << ": " << error.what();
            EXPECT_EQ(error.Column, c.Column) << c.What << ": " << error.what();
        } catch (const std::exception& error) {
            ADD_FAILURE() << c.What << ": " << error.what();
        }
    }

    // A key or a text of 15 MiB gives a message of one short line.
    for (const std::string& json : {"{\"" + std::string(15 << 20, 'k') + "\": 1}",
                                    "{\"format\": \"" + std::string(15 << 20, 't') + "\"}",
                                    "{\"format\": \"" + std::string(15 << 20, 't')}) {
        const std::string error = ImportError(json);
        EXPECT_LT(error.size(), 200u) << error.substr(0, 300);
        EXPECT_EQ(error.find('\n'), std::string::npos);
    }
}

TEST(SkmShow, EveryMissionHasTheSameLinesInTheSameOrder) {
    // diff pairs the lines of two missions one by one.
    std::vector<std::string> fields;
    for (const auto& image : TestMissions()) {
        std::vector<std::string> these;
        for (const auto& line : skm::ShowLines(FromBytes(image)))
            these.push_back(line.Field);
        if (fields.empty())
            fields = these;
        EXPECT_EQ(these, fields);
    }
    EXPECT_EQ(skm::FormatShowLine(skm::ShowLines(NewDefaultMission())[3]),
              "FG 1 CraftType: 1 \"Xwing\" short \"X-W\"\n");
}

TEST(SkmCheck, FindsWhatTheEditorCannotShow) {
    TMission m = NewDefaultMission();
    EXPECT_TRUE(skm::CheckMission(m, kSkirmishFileSize).empty()) << "a new mission is clean";
    m.FlightGroups[2].CraftType = 255;
    m.FlightGroups[0].AiLevel = 6;
    m.FlightGroups[0].WavesMinusOne = 255;
    m.FlightGroups[5].CraftType = 231; // has a row: fine
    m.Settings.TeamCount = 9;
    m.Goals.TeamGoal[7] = -1;
    m.Trailer.MissionType = 2;
    std::vector<std::string> fields;
    for (const auto& finding : skm::CheckMission(m, 5000))
        fields.push_back(finding.Field);
    EXPECT_EQ(fields, (std::vector<std::string>{"length", "FG 1 WavesMinusOne", "FG 1 AiLevel",
                                                "FG 3 CraftType", "TeamCount", "TeamGoal 8", "MissionType"}));
}

TEST(SkmSchema, EveryExportMeetsTheSchemaAndWhatImportRefusesDoesNot) {
    const std::string schema = skm::JsonSchema();
    std::ifstream installed(QUARNEL_SCHEMA_FILE, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(installed), {}), schema)
        << QUARNEL_SCHEMA_FILE << " is installed as the output of `quarnel-skm schema`: write it again";
    if (std::string(QUARNEL_PYTHON3).empty() ||
        std::system((std::string(QUARNEL_PYTHON3) + " -c 'import jsonschema' 2>/dev/null").c_str()) != 0)
        GTEST_SKIP() << "python3-jsonschema is not installed";

    TempDir dir;
    std::vector<std::string> arguments;
    const auto add = [&](const std::string& json, bool valid) {
        const auto path = dir / (std::to_string(arguments.size()) + ".json");
        WriteBytes(path, std::vector<std::uint8_t>(json.begin(), json.end()));
        arguments.push_back((valid ? "valid:" : "invalid:") + path.string());
    };
    add(schema, false); // a schema is no mission
    for (const auto& image : TestMissions())
        add(skm::ExportJson(FromBytes(image)), true);
    const std::string good = skm::ExportJson(NewDefaultMission());
    using nlohmann::json;
    const auto edited = [&](auto change) {
        auto j = json::parse(good);
        change(j);
        return j.dump(1);
    };
    const std::string withSchemaKey =
        edited([](json& j) { j["$schema"] = "quarnel-skm-mission.schema.json"; });
    EXPECT_NO_THROW(skm::ImportJson(withSchemaKey));
    add(withSchemaKey, true);
    for (const std::string& refused : {
             edited([](json& j) { j["FlightGroups"][0]["CraftType"] = 256; }),
             edited([](json& j) { j["Settings"]["Arena"] = 2147483648LL; }),
             edited([](json& j) { j["FlightGroups"][2].erase("AiLevel"); }),
             edited([](json& j) { j["Trailer"]["Missiontype"] = 0; }),
             edited([](json& j) { j["Goals"]["TeamGoal"].erase(7); }),
             edited([](json& j) { j["FlightGroups"].erase(0); }),
             edited([](json& j) { j["FlightGroups"][0]["Name"] = "Twenty-one characters"; }),
             edited([](json& j) {
                 j["Header"]["MissionNameBytes"] = json::array({1, 2});
             }),
             edited([](json& j) { j["formatVersion"] = 2; }),
         }) {
        EXPECT_THROW(skm::ImportJson(refused), skm::EJsonError) << refused.substr(0, 200);
        add(refused, false);
    }
    WriteBytes(dir / "schema.json", std::vector<std::uint8_t>(schema.begin(), schema.end()));

    // Each file against the schema; the lines that come out are the files that were judged wrongly.
    const std::string script = R"(
import json, sys, jsonschema
schema = json.load(open(sys.argv[1]))
jsonschema.Draft7Validator.check_schema(schema)
validator = jsonschema.Draft7Validator(schema)
for argument in sys.argv[2:]:
    expected, path = argument.split(":", 1)
    errors = [e.message for e in validator.iter_errors(json.load(open(path)))]
    if (expected == "valid") != (not errors):
        print(argument, errors[:1] or "accepted")
)";
    WriteBytes(dir / "check.py", std::vector<std::uint8_t>(script.begin(), script.end()));
    std::string command = std::string(QUARNEL_PYTHON3) + " " + (dir / "check.py").string() + " " +
                          (dir / "schema.json").string();
    for (const std::string& argument : arguments)
        command += " " + argument;
    command += " >" + (dir / "out").string() + " 2>&1";
    const int status = std::system(command.c_str());
    std::ifstream out(dir / "out");
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(out), {}), "");
    EXPECT_EQ(status, 0);
}
