// The skirmish file's layout, written down once as tables of the records' fields in file order.
// The reader and the writer both walk these tables (a record passed const for writing, mutable
// for reading), so the two directions cannot drift apart; the blocks' sizes and offsets are added
// up from the widths of the listed fields when the library is built.
#pragma once

#include "mission_model.h"

#include <array>
#include <cstddef>
#include <tuple>
#include <type_traits>

namespace mission::layout {

// The stored fields of each record, in the order the file stores them.
inline constexpr std::tuple kHeaderFields{&TMissionHeader::MissionName, &TMissionHeader::HeaderBytes};
inline constexpr std::tuple kHeadFields{
    &TFlightGroup::Number,        &TFlightGroup::CraftType,    &TFlightGroup::HeadBytes,
    &TFlightGroup::WavesMinusOne, &TFlightGroup::CraftPerWave, &TFlightGroup::AiLevel,
    &TFlightGroup::Order,         &TFlightGroup::Warhead,      &TFlightGroup::Countermeasure,
    &TFlightGroup::Beam,          &TFlightGroup::Primary};
inline constexpr std::tuple kBodyFields{&TFlightGroup::Body};
inline constexpr std::tuple kSettingsFields{&TMissionSettings::TeamCount, &TMissionSettings::Setting2,
                                            &TMissionSettings::Arena, &TMissionSettings::StartDistance,
                                            &TMissionSettings::GlobalsValue};
inline constexpr std::tuple kGoalsFields{&TTeamGoals::TeamGoal, &TTeamGoals::GoalsExtra};
inline constexpr std::tuple kNameFields{&TFlightGroup::Name};
inline constexpr std::tuple kTrailerFields{&TMissionTrailer::MissionType, &TMissionTrailer::TrailerExtra};

// Marks a block stored once for every flight group slot, slot 0 first.
struct EachGroup {};

// A block of the file: the listed fields of one record of the mission (a member of TMission), or
// of every flight group.
template <class Record, class Fields> struct Block {
    Record record;
    Fields fields;
};
template <class Record, class Fields> Block(Record, Fields) -> Block<Record, Fields>;

// The whole file, block by block. The heads and the bodies of the sixteen flight groups are
// stored apart, and the names come only after the team goals.
inline constexpr std::tuple kFileBlocks{
    Block{&TMission::Header, kHeaderFields},   Block{EachGroup{}, kHeadFields},
    Block{EachGroup{}, kBodyFields},           Block{&TMission::Settings, kSettingsFields},
    Block{&TMission::Goals, kGoalsFields},     Block{EachGroup{}, kNameFields},
    Block{&TMission::Trailer, kTrailerFields},
};
// The blocks by their place in kFileBlocks.
enum BlockIndex : std::size_t {
    kHeaderBlock,
    kHeadsBlock,
    kBodiesBlock,
    kSettingsBlock,
    kTeamGoalsBlock,
    kNamesBlock,
    kTrailerBlock,
    kBlockCount
};
static_assert(std::tuple_size_v<decltype(kFileBlocks)> == kBlockCount);

// Calls visit(field) for each listed field of record.
template <class Record, class Fields, class Visit>
constexpr void VisitFields(Record& record, const Fields& fields, Visit& visit) {
    std::apply([&](auto... member) { (visit(record.*member), ...); }, fields);
}

// Calls visit(field) for every stored field of the mission, in file order.
template <class Mission, class Visit> constexpr void VisitFile(Mission& mission, Visit& visit) {
    std::apply(
        [&](const auto&... block) {
            const auto visitBlock = [&](const auto& b) {
                if constexpr (std::is_same_v<std::remove_cvref_t<decltype(b.record)>, EachGroup>) {
                    for (auto& group : mission.FlightGroups)
                        VisitFields(group, b.fields, visit);
                } else {
                    VisitFields(mission.*(b.record), b.fields, visit);
                }
            };
            (visitBlock(block), ...);
        },
        kFileBlocks);
}

// Sizes, from the field types alone: integers are stored at their full width, arrays element by
// element.
template <class T> constexpr std::size_t StoredWidth() {
    if constexpr (std::is_integral_v<T>)
        return sizeof(T);
    else
        return std::tuple_size_v<T> * StoredWidth<typename T::value_type>();
}

template <class Member> struct MemberType;
template <class Record, class T> struct MemberType<T Record::*> { using Type = T; };

template <class Fields> constexpr std::size_t StoredSize(const Fields& fields) {
    return std::apply(
        [](auto... member) { return (StoredWidth<typename MemberType<decltype(member)>::Type>() + ...); },
        fields);
}

template <class Record, class Fields> constexpr std::size_t StoredSize(const Block<Record, Fields>& block) {
    const std::size_t repeats = std::is_same_v<Record, EachGroup> ? kFlightGroupCount : 1;
    return repeats * StoredSize(block.fields);
}

// Where each block of the file starts, and (at kBlockCount) the file's end.
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

constexpr std::size_t BlockOffset(std::size_t block) {
    return BlockOffsets()[block];
}

} // namespace mission::layout
