// The mission as lines of text.
#include "mission_show.h"

#include "ansi_text.h"
#include "craft_catalogue.h"
#include "mission_words.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace skm {

namespace {

constexpr char kHexDigits[] = "0123456789abcdef";

void AppendHexByte(std::string& out, std::uint8_t byte) {
    out += kHexDigits[byte >> 4];
    out += kHexDigits[byte & 0xF];
}

std::string HexBytes(std::span<const std::uint8_t> bytes) {
    std::string out;
    out.reserve(bytes.size() * 3);
    for (const std::uint8_t byte : bytes) {
        if (!out.empty())
            out += ' ';
        AppendHexByte(out, byte);
    }
    return out;
}

template <class T, std::size_t N> std::string Numbers(const std::array<T, N>& values) {
    std::string out;
    for (const T value : values) {
        if (!out.empty())
            out += ' ';
        out += std::to_string(value);
    }
    return out;
}

// A text in double quotes; a quote or backslash is escaped with a backslash, and a byte that
// shows as nothing (a control character, or one the code page leaves undefined) as \xNN.
std::string Quoted(std::string_view ansi) {
    std::string out = "\"";
    for (const char c : ansi) {
        const auto byte = static_cast<std::uint8_t>(c);
        const bool invisible = byte < 0x20 || byte == 0x7F || byte == 0x81 || byte == 0x8D || byte == 0x8F ||
                               byte == 0x90 || byte == 0x9D;
        if (invisible) {
            out += "\\x";
            AppendHexByte(out, byte);
        } else if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (byte < 0x80) {
            out += c;
        } else {
            out += text::UnicodeToUtf8(text::AnsiToUnicode(std::string_view(&c, 1)));
        }
    }
    out += '"';
    return out;
}

// A text field; when bytes after the text are not zero, all its stored bytes follow in hex.
std::string TextField(std::span<const std::uint8_t> field) {
    std::string out = Quoted(text::FieldText(field));
    if (HasBytesAfterText(field))
        out += " bytes " + HexBytes(field);
    return out;
}

// A stored number with its list entry in quotes, or the number alone when it has no entry.
std::string WithEntry(std::int64_t value, std::optional<std::string_view> entry) {
    std::string out = std::to_string(value);
    if (entry)
        out += " " + Quoted(*entry);
    return out;
}

std::string Craft(int craftType) {
    std::string out = WithEntry(craftType, CraftLongText(craftType));
    if (const auto shortName = CraftShortText(craftType))
        out += " short " + Quoted(*shortName);
    return out;
}

std::string Primary(std::uint8_t primary) {
    std::string out = std::to_string(primary);
    if (primary == 0)
        out += " no";
    else if (primary == 1)
        out += " yes";
    return out;
}

void AddFlightGroup(std::vector<TShowLine>& lines, const mission::TFlightGroup& group, int slot) {
    const std::string fg = "FG " + std::to_string(slot + 1) + " ";
    const auto add = [&](const char* field, std::string value) {
        lines.push_back({fg + field, std::move(value)});
    };
    add("Number", std::to_string(group.Number));
    add("CraftType", Craft(group.CraftType));
    add("HeadBytes", HexBytes(group.HeadBytes));
    const int waves = group.WavesMinusOne + 1;
    add("WavesMinusOne", std::to_string(group.WavesMinusOne) + " (" + std::to_string(waves) +
                             (waves == 1 ? " wave)" : " waves)"));
    add("CraftPerWave", std::to_string(group.CraftPerWave));
    add("AiLevel", WithEntry(group.AiLevel, EntryText(mission::AIBoxItems, group.AiLevel)));
    add("Order", WithEntry(group.Order, EntryText(mission::OrderBoxItems, group.Order)));
    add("Warhead", WithEntry(group.Warhead, EntryText(mission::MissleBoxItems, group.Warhead)));
    add("Countermeasure",
        WithEntry(group.Countermeasure, EntryText(mission::CounterBoxItems, group.Countermeasure)));
    add("Beam", WithEntry(group.Beam, EntryText(mission::BeamBoxItems, group.Beam)));
    add("Primary", Primary(group.Primary));
    add("Body", Numbers(group.Body));
    add("Name", TextField(group.Name));
}

} // namespace

std::vector<TShowLine> ShowLines(const mission::TMission& mission) {
    std::vector<TShowLine> lines;
    lines.reserve(16 * 13 + 24);
    lines.push_back({"MissionName", TextField(mission.Header.MissionName)});
    lines.push_back({"HeaderBytes", Numbers(mission.Header.HeaderBytes)});
    for (int slot = 0; slot < mission::kFlightGroupCount; ++slot)
        AddFlightGroup(lines, mission.FlightGroups[static_cast<std::size_t>(slot)], slot);

    const mission::TMissionSettings& settings = mission.Settings;
    lines.push_back({"TeamCount", std::to_string(settings.TeamCount)});
    lines.push_back({"Setting2", std::to_string(settings.Setting2)});
    lines.push_back({"Arena", WithEntry(settings.Arena, EntryText(mission::ArenaBoxItems, settings.Arena))});
    lines.push_back({"StartDistance", std::to_string(settings.StartDistance)});
    lines.push_back({"GlobalsValue", std::to_string(settings.GlobalsValue)});
    for (int team = 0; team < mission::kTeamGoalCount; ++team) {
        const std::int32_t goal = mission.Goals.TeamGoal[static_cast<std::size_t>(team)];
        lines.push_back({"TeamGoal " + std::to_string(team + 1),
                         WithEntry(goal, EntryText(mission::GoalBoxItems, goal))});
    }
    lines.push_back({"GoalsExtra", Numbers(mission.Goals.GoalsExtra)});
    const mission::TMissionTrailer& trailer = mission.Trailer;
    lines.push_back({"MissionType", WithEntry(trailer.MissionType,
                                              EntryText(mission::MissionTypeBoxItems, trailer.MissionType))});
    lines.push_back({"TrailerExtra", std::to_string(trailer.TrailerExtra)});
    return lines;
}

std::string FormatShowLine(const TShowLine& line) {
    std::string out;
    out.reserve(line.Field.size() + line.Value.size() + 3);
    out += line.Field;
    out += ": ";
    out += line.Value;
    out += '\n';
    return out;
}

} // namespace skm
