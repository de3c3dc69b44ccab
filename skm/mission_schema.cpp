// The JSON Schema of the mission JSON, made from the same field descriptions the JSON is.
#include "mission_schema.h"

#include "mission_json.h"
#include "mission_words.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <array>
#include <cstdint>
#include <limits>
#include <type_traits>

namespace skm {

namespace {

using Json = nlohmann::ordered_json;
using mission::layout::TFieldInfo;
using mission::layout::TLook;

template <class T> Json Integer() {
    return {{"type", "integer"},
            {"minimum", std::numeric_limits<T>::min()},
            {"maximum", std::numeric_limits<T>::max()}};
}

Json List(Json items, std::size_t length) {
    return {{"type", "array"}, {"items", std::move(items)}, {"minItems", length}, {"maxItems", length}};
}

// The entries' texts as export writes them, each once.
Json EntryTexts(std::span<const std::string_view> entries) {
    Json texts = Json::array();
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const std::string text(*EntryText(entries, static_cast<std::int64_t>(i)));
        if (std::find(texts.begin(), texts.end(), text) == texts.end())
            texts.push_back(text);
    }
    return texts;
}

// What the number means: its entries, or the values the editor shows.
std::string Meaning(const TFieldInfo& info) {
    std::string out;
    for (std::size_t i = 0; i < info.Entries.size(); ++i)
        out += (i == 0 ? "" : ", ") + std::to_string(i) + " " + std::string(*EntryText(info.Entries, i));
    if (info.Entries.empty() && info.Shown.Lowest <= info.Shown.Highest) {
        out = "the editor shows " + std::to_string(info.Shown.Lowest) + " to " +
              std::to_string(info.Shown.Highest);
        if (info.ShownOffset != 0)
            out += ", the stored number plus " + std::to_string(info.ShownOffset);
    }
    return out;
}

constexpr char kForReading[] = "for reading only: import takes the number";

// The field's own key and those written beside it.
template <class T> void Describe(Json& properties, const TFieldInfo& info, const T&) {
    const TJsonKeys keys = JsonKeys(info);
    properties[keys.Own] = Integer<T>();
    if (const std::string meaning = Meaning(info); !meaning.empty())
        properties[keys.Own]["description"] = meaning;
    if (!keys.Text.empty())
        properties[keys.Text] = {{"description", kForReading}, {"enum", EntryTexts(info.Entries)}};
    if (!keys.ShortText.empty())
        properties[keys.ShortText] = {{"description", kForReading}, {"enum", EntryTexts(info.ShortEntries)}};
}

template <class T, std::size_t N>
void Describe(Json& properties, const TFieldInfo& info, const std::array<T, N>&) {
    const TJsonKeys keys = JsonKeys(info);
    if (info.Look == TLook::Text) {
        properties[keys.Own] = {{"type", "string"},
                                {"maxLength", N},
                                {"description", "text in the game's character set (Windows-1252)"}};
        properties[keys.Bytes] = List(Integer<std::uint8_t>(), N);
        properties[keys.Bytes]["description"] = "all the field's bytes, taken while the text is still theirs";
        return;
    }
    properties[keys.Own] = List(Integer<T>(), N);
    if (!info.Entries.empty()) {
        properties[keys.Own]["description"] = Meaning(info);
        Json texts = EntryTexts(info.Entries);
        texts.push_back(nullptr);
        properties[keys.Text] = List({{"enum", texts}}, N);
        properties[keys.Text]["description"] = kForReading;
    }
}

// An object of these fields: each field's own key required, nothing else allowed.
template <class Record, class Fields> Json ObjectOf(const Record& record, const Fields& fields) {
    Json properties = Json::object();
    Json required = Json::array();
    mission::layout::VisitDescribed(record, fields, [&](const TFieldInfo& info, const auto& field) {
        Describe(properties, info, field);
        required.push_back(JsonKeys(info).Own);
    });
    return {{"type", "object"},
            {"properties", properties},
            {"required", required},
            {"additionalProperties", false}};
}

} // namespace

std::string JsonSchema() {
    const mission::TMission mission;
    Json properties = {{"$schema", {{"type", "string"}}},
                       {"format", {{"const", kJsonFormat}}},
                       {"formatVersion", {{"const", kJsonFormatVersion}}}};
    Json required = {"format", "formatVersion"};
    mission::layout::VisitParts(mission, [&](const auto& part, auto records) {
        const std::string name(part.Name);
        Json object = ObjectOf(records[0], part.fields);
        if constexpr (mission::layout::kEachGroup<decltype(part.record)>)
            object = List(std::move(object), records.size());
        properties[name] = std::move(object);
        required.push_back(name);
    });
    const Json schema = {{"$schema", "http://json-schema.org/draft-07/schema#"},
                         {"title", "A skirmish mission as quarnel-skm writes and reads it"},
                         {"type", "object"},
                         {"properties", properties},
                         {"required", required},
                         {"additionalProperties", false}};
    return schema.dump(2) + "\n";
}

} // namespace skm
