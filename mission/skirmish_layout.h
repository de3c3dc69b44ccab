// The skirmish mission's fields, each described once, and the file's layout as tables of them in
// file order. Each field is written down with its name (the one quarnel-skm shows and its JSON
// uses), where it lives in the records, its option list and the range the editor allows. The reader
// and the writer of the file walk these tables (a record passed const for writing, mutable for
// reading), and so do the JSON form, show, check and the editor's bindings; the blocks' sizes and
// offsets are added up from the widths of the listed fields when the library is built.
#pragma once

#include "craft_catalogue.h"
#include "mission_model.h"

#include <array>
#include <cstddef>
#include <span>
#include <string_view>
#include <tuple>
#include <type_traits>

namespace mission::layout {

// How quarnel-skm words a field beyond its number or numbers.
enum class TLook { Plain, Text, Hex, WaveCount, YesNo };

// The values the editor shows, both ends included; none when Highest is below Lowest.
struct TRange {
    int Lowest = 0;
    int Highest = -1;
    constexpr bool Holds(std::int64_t value) const { return Lowest <= value && value <= Highest; }
};

// What a field means, whatever record holds it.
struct TFieldInfo {
    std::string_view Name{};
    // A stored value is the position of its entry; a list's elements each have theirs.
    std::span<const std::string_view> Entries{};
    std::span<const std::string_view> ShortEntries{}; // the craft catalogue's second column
    // Offered beside a number typed freely; the stored value is the number, not a position.
    std::span<const std::string_view> Suggestions{};
    // What the editor's control allows, as it shows the value; of a number typed freely, what the
    // editor shows in full.
    TRange Shown{};
    int ShownOffset = 0; // the control shows the stored value plus this
    // What check says of a value the editor cannot show: %v the value, %s the value as shown, %r the
    // range ("1 to 255"), %l and %h its ends. A field with entries says by default that it has none.
    std::string_view Beyond{};
    TLook Look = TLook::Plain;

    constexpr TRange Range() const {
        return Entries.empty() ? Shown : TRange{0, static_cast<int>(Entries.size()) - 1};
    }
};

// A field: what it means and the member of its record that stores it.
template <class Member> struct TField {
    TFieldInfo Info;
    Member Stored;
};
template <class Member>
constexpr TField<Member> Field(std::string_view name, Member stored, TFieldInfo info = {}) {
    info.Name = name;
    return {info, stored};
}

// The stored fields of each record, in the order the file stores them.
inline constexpr std::tuple kHeaderFields{
    Field("MissionName", &TMissionHeader::MissionName, {.Look = TLook::Text}),
    Field("HeaderBytes", &TMissionHeader::HeaderBytes),
};
inline constexpr std::tuple kHeadFields{
    Field("Number", &TFlightGroup::Number),
    Field("CraftType", &TFlightGroup::CraftType,
          {.Entries = CraftLongNameItems,
           .ShortEntries = CraftShortNameItems,
           .Beyond = "%v has no craft (%r): the editor cannot list this flight group"}),
    Field("HeadBytes", &TFlightGroup::HeadBytes, {.Look = TLook::Hex}),
    Field("WavesMinusOne", &TFlightGroup::WavesMinusOne,
          {.Shown = {1, 255},
           .ShownOffset = 1,
           .Beyond = "%v means %s waves: the editor shows %r",
           .Look = TLook::WaveCount}),
    Field("CraftPerWave", &TFlightGroup::CraftPerWave,
          {.Shown = {1, 255}, .Beyond = "%v craft in a wave: the editor shows %r"}),
    Field("AiLevel", &TFlightGroup::AiLevel, {.Entries = AIBoxItems}),
    Field("Order", &TFlightGroup::Order, {.Entries = OrderBoxItems}),
    Field("Warhead", &TFlightGroup::Warhead, {.Entries = MissleBoxItems}),
    Field("Countermeasure", &TFlightGroup::Countermeasure, {.Entries = CounterBoxItems}),
    Field("Beam", &TFlightGroup::Beam, {.Entries = BeamBoxItems}),
    // A check box: ticked for any value but 0, while the list marks a primary group only for 1.
    Field("Primary", &TFlightGroup::Primary,
          {.Shown = {0, 1},
           .Beyond = "%v is neither %l nor %h: the editor ticks the box but does not mark the flight "
                     "group primary in its list",
           .Look = TLook::YesNo}),
};
inline constexpr std::tuple kBodyFields{Field("Body", &TFlightGroup::Body)};
inline constexpr std::tuple kSettingsFields{
    // The team list has a goal and a colour for teams 1 to 8.
    Field("TeamCount", &TMissionSettings::TeamCount,
          {.Suggestions = NumTeamsBoxItems,
           .Shown = {1, kTeamGoalCount},
           .Beyond = "%v is outside %r: not every team has a goal and a colour"}),
    Field("Setting2", &TMissionSettings::Setting2),
    Field("Arena", &TMissionSettings::Arena, {.Entries = ArenaBoxItems}),
    Field("StartDistance", &TMissionSettings::StartDistance,
          {.Shown = {0, 255}, .Beyond = "%v is outside %r: the editor shows the nearest bound"}),
    Field("GlobalsValue", &TMissionSettings::GlobalsValue),
};
inline constexpr std::tuple kGoalsFields{
    Field("TeamGoal", &TTeamGoals::TeamGoal, {.Entries = GoalBoxItems}),
    Field("GoalsExtra", &TTeamGoals::GoalsExtra),
};
inline constexpr std::tuple kNameFields{Field("Name", &TFlightGroup::Name, {.Look = TLook::Text})};
inline constexpr std::tuple kTrailerFields{
    Field("MissionType", &TMissionTrailer::MissionType, {.Entries = MissionTypeBoxItems}),
    Field("TrailerExtra", &TMissionTrailer::TrailerExtra),
};

// Marks a block stored once for every flight group slot, slot 0 first.
struct EachGroup {};

// Some of the mission's fields, named: the listed fields of one record of the mission (a member of
// TMission), or of every flight group.
template <class Record, class Fields> struct Part {
    std::string_view Name;
    Record record;
    Fields fields;
};
template <class Record, class Fields> Part(std::string_view, Record, Fields) -> Part<Record, Fields>;

// The whole file, block by block. The heads and the bodies of the sixteen flight groups are
// stored apart, and the names come only after the team goals.
inline constexpr std::tuple kFileBlocks{
    Part{"Header", &TMission::Header, kHeaderFields},
    Part{"Heads", EachGroup{}, kHeadFields},
    Part{"Bodies", EachGroup{}, kBodyFields},
    Part{"Settings", &TMission::Settings, kSettingsFields},
    Part{"TeamGoals", &TMission::Goals, kGoalsFields},
    Part{"Names", EachGroup{}, kNameFields},
    Part{"Trailer", &TMission::Trailer, kTrailerFields},
};
// The mission's records by name, each flight group in one piece: the order of its text forms.
inline constexpr std::tuple kParts{
    Part{"Header", &TMission::Header, kHeaderFields},
    Part{"FlightGroups", EachGroup{}, std::tuple_cat(kHeadFields, kBodyFields, kNameFields)},
    Part{"Settings", &TMission::Settings, kSettingsFields},
    Part{"Goals", &TMission::Goals, kGoalsFields},
    Part{"Trailer", &TMission::Trailer, kTrailerFields},
};

template <class Record> constexpr bool kEachGroup = std::is_same_v<std::remove_cvref_t<Record>, EachGroup>;

// Calls visit(info, field) for each listed field of record.
template <class Record, class Fields, class Visit>
constexpr void VisitDescribed(Record& record, const Fields& fields, Visit&& visit) {
    std::apply([&](const auto&... field) { (visit(field.Info, record.*(field.Stored)), ...); }, fields);
}
// Calls visit(field) for each listed field of record.
template <class Record, class Fields, class Visit>
constexpr void VisitFields(Record& record, const Fields& fields, Visit& visit) {
    VisitDescribed(record, fields, [&](const TFieldInfo&, auto& field) { visit(field); });
}

// The records a block or part lists the fields of: the sixteen flight groups, or the one record.
template <class Mission, class Record> constexpr auto RecordsOf(Mission& mission, const Record& record) {
    if constexpr (kEachGroup<Record>)
        return std::span(mission.FlightGroups);
    else
        return std::span(&(mission.*record), 1);
}

// Calls visit(field) for every stored field of the mission, in file order.
template <class Mission, class Visit> constexpr void VisitFile(Mission& mission, Visit& visit) {
    std::apply(
        [&](const auto&... block) {
            const auto visitBlock = [&](const auto& b) {
                for (auto& record : RecordsOf(mission, b.record))
                    VisitFields(record, b.fields, visit);
            };
            (visitBlock(block), ...);
        },
        kFileBlocks);
}

// Calls visit(part, records) for each part of the mission in kParts' order; records is a span of
// the sixteen flight groups or of the one record.
template <class Mission, class Visit> constexpr void VisitParts(Mission& mission, Visit&& visit) {
    std::apply([&](const auto&... part) { (visit(part, RecordsOf(mission, part.record)), ...); }, kParts);
}

// Sizes, from the field types alone: integers are stored at their full width, arrays element by
// element.
template <class T> constexpr std::size_t StoredWidth() {
    if constexpr (std::is_integral_v<T>)
        return sizeof(T);
    else
        return std::tuple_size_v<T> * StoredWidth<typename T::value_type>();
}

// The record a member belongs to, and the member's type.
template <class Member> struct MemberType;
template <class R, class T> struct MemberType<T R::*> {
    using Record = R;
    using Type = T;
};
template <class Field>
constexpr std::size_t
    kFieldWidth = StoredWidth<typename MemberType<decltype(std::remove_cvref_t<Field>::Stored)>::Type>();

// The record type whose fields a part lists.
template <class Record> struct PartRecord { using Type = typename MemberType<Record>::Type; };
template <> struct PartRecord<EachGroup> { using Type = TFlightGroup; };

// The part of kParts that lists the fields of Record.
template <class Record> constexpr const auto& PartOf() {
    constexpr std::size_t at = std::apply(
        [](const auto&... part) {
            std::size_t found = 0, next = 0;
            ((std::is_same_v<typename PartRecord<std::remove_cvref_t<decltype(part.record)>>::Type, Record>
                  ? found = next++
                  : next++),
             ...);
            return found;
        },
        kParts);
    static_assert(
        std::is_same_v<typename PartRecord<std::remove_cvref_t<decltype(std::get<at>(kParts).record)>>::Type,
                       Record>);
    return std::get<at>(kParts);
}

template <class Fields> constexpr std::size_t StoredSize(const Fields& fields) {
    return std::apply([](const auto&... field) { return (kFieldWidth<decltype(field)> + ...); }, fields);
}

template <class Record, class Fields> constexpr std::size_t StoredSize(const Part<Record, Fields>& block) {
    const std::size_t repeats = kEachGroup<Record> ? kFlightGroupCount : 1;
    return repeats * StoredSize(block.fields);
}

// Where each block of the file starts, in kFileBlocks' order, and last the file's end.
constexpr auto BlockOffsets() {
    return std::apply(
        [](const auto&... block) {
            std::array<std::size_t, sizeof...(block) + 1> offsets{};
            std::size_t i = 0;
            ((offsets[i + 1] = offsets[i] + StoredSize(block), ++i), ...);
            return offsets;
        },
        kFileBlocks);
}

// A member's field among a record's listed fields: whether it is there, its place in the list,
// its first byte in the stored record, and what it means.
struct TPlace {
    bool Found = false;
    std::size_t Position = 0;
    std::size_t Offset = 0;
    TFieldInfo Info{};
};
template <class Fields, class Member> constexpr TPlace PlaceOf(const Fields& fields, Member member) {
    TPlace place;
    TPlace next{true};
    const auto look = [&](const auto& field) {
        if constexpr (std::is_same_v<decltype(field.Stored), Member>)
            if (!place.Found && field.Stored == member)
                place = {true, next.Position, next.Offset, field.Info};
        ++next.Position;
        next.Offset += kFieldWidth<decltype(field)>;
    };
    std::apply([&](const auto&... field) { (look(field), ...); }, fields);
    return place;
}

} // namespace mission::layout
