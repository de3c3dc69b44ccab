// The binding of the editing controls to the document: each control's field of the field tables,
// and from the field its tag, its kind, its entries and its range. The layout, the field edits and
// the display all follow this one table.
#pragma once

#include "mission_model.h"
#include "skirmish_layout.h"

#include <QAnyStringView>
#include <QLatin1StringView>
#include <cstddef>
#include <cstdint>
#include <type_traits>

namespace editor {

// The kind of control a field's row calls for.
enum class TControlKind {
    DropDown, // the field's entries; the value is the position picked
    FreeText, // a number typed, with the field's suggestions offered
    Check,    // ticked or not, for a field of two values
    Spin,     // a number held within the field's range
    Number,   // any number typed
};

struct TFieldBinding {
    const char* Control; // the control's object name
    int Tag;
    bool InFlightGroup; // a field of the selected flight group, not a mission-wide one
    mission::layout::TFieldInfo Field;
    // The stored value, in group for a flight group field, else in mission; and storing one, cut to
    // the field's width.
    std::int32_t (*Value)(const mission::TMission& mission, const mission::TFlightGroup& group) = nullptr;
    void (*Store)(mission::TMission& mission, mission::TFlightGroup& group, std::int32_t value) = nullptr;

    constexpr TControlKind Kind() const {
        if (!Field.Entries.empty())
            return TControlKind::DropDown;
        if (!Field.Suggestions.empty())
            return TControlKind::FreeText;
        if (Field.Look == mission::layout::TLook::YesNo)
            return TControlKind::Check;
        return Field.Shown.Lowest <= Field.Shown.Highest ? TControlKind::Spin : TControlKind::Number;
    }
};

namespace binding {

// The record that holds a member: the selected flight group, or the mission's record that the
// mission's parts list it in.
template <class Record, class Mission, class Group> constexpr auto& RecordIn(Mission& mission, Group& group) {
    if constexpr (std::is_same_v<Record, mission::TFlightGroup>)
        return group;
    else
        return mission.*(mission::layout::PartOf<Record>().record);
}

// The member, or its element Element when it is a list.
template <auto Member, std::size_t Element, class Mission, class Group>
constexpr auto& StoredIn(Mission& mission, Group& group) {
    auto& stored =
        RecordIn<typename mission::layout::MemberType<decltype(Member)>::Record>(mission, group).*Member;
    if constexpr (std::is_integral_v<std::remove_cvref_t<decltype(stored)>>)
        return stored;
    else
        return stored[Element];
}

} // namespace binding

// Where the field tables list a member, and what they say of it.
template <auto Member> consteval mission::layout::TPlace FieldPlace() {
    using Record = typename mission::layout::MemberType<decltype(Member)>::Record;
    const mission::layout::TPlace place =
        mission::layout::PlaceOf(mission::layout::PartOf<Record>().fields, Member);
    if (!place.Found)
        throw "the layout lists no such field";
    return place;
}

// A field's binding, from the place the field tables give it. A head field's tag is its byte in the
// stored head less 2 (tag 0 is CraftType), a settings or trailer field's its number there from 1,
// and an element of the flight group's body or of the header bytes has its index from 1.
template <auto Member, std::size_t Element = 0> consteval TFieldBinding Bind(const char* control) {
    using namespace mission;
    using Field = typename layout::MemberType<decltype(Member)>::Type;
    constexpr bool inFlightGroup =
        std::is_same_v<typename layout::MemberType<decltype(Member)>::Record, TFlightGroup>;
    constexpr layout::TPlace place = FieldPlace<Member>();
    int tag = static_cast<int>(Element) + 1;
    if constexpr (!std::is_integral_v<Field>)
        static_assert(Element < std::tuple_size_v<Field>, "the list has no such element");
    else
        tag = static_cast<int>(inFlightGroup ? place.Offset - 2 : place.Position + 1);
    return {control,
            tag,
            inFlightGroup,
            place.Info,
            [](const TMission& mission, const TFlightGroup& group) -> std::int32_t {
                return binding::StoredIn<Member, Element>(mission, group);
            },
            [](TMission& mission, TFlightGroup& group, std::int32_t value) {
                auto& field = binding::StoredIn<Member, Element>(mission, group);
                field = static_cast<std::remove_reference_t<decltype(field)>>(value);
            }};
}

// In the order the display fills the controls.
inline constexpr TFieldBinding kFieldBindings[] = {
    Bind<&mission::TFlightGroup::CraftType>("ShipBox"),
    Bind<&mission::TFlightGroup::AiLevel>("AIBox"),
    Bind<&mission::TFlightGroup::WavesMinusOne>("Wavespin"),
    Bind<&mission::TFlightGroup::CraftPerWave>("SizeSpin"),
    Bind<&mission::TFlightGroup::Order>("OrderBox"),
    Bind<&mission::TFlightGroup::Warhead>("MissleBox"),
    Bind<&mission::TFlightGroup::Countermeasure>("CounterBox"),
    Bind<&mission::TFlightGroup::Beam>("BeamBox"),
    Bind<&mission::TFlightGroup::Primary>("PriChk"),
    Bind<&mission::TFlightGroup::Body, 11>("FG2Unk1Ed"),
    Bind<&mission::TFlightGroup::Body, 20>("FG2Unk2Ed"),
    Bind<&mission::TFlightGroup::Body, 25>("FG2Unk3Ed"),
    Bind<&mission::TFlightGroup::Body, 28>("FG2Unk4Ed"),
    Bind<&mission::TFlightGroup::Body, 29>("FG2Unk5Ed"),
    Bind<&mission::TMissionTrailer::MissionType>("MissionTypeBox"),
    Bind<&mission::TMissionSettings::TeamCount>("NumTeamsBox"),
    Bind<&mission::TMissionSettings::Arena>("ArenaBox"),
    Bind<&mission::TMissionSettings::StartDistance>("StartDistSpin"),
    Bind<&mission::TMissionSettings::GlobalsValue>("Edit1"),
    Bind<&mission::TMissionHeader::HeaderBytes, 0>("Edit2"),
    Bind<&mission::TMissionHeader::HeaderBytes, 4>("Edit3"),
    Bind<&mission::TMissionHeader::HeaderBytes, 5>("Edit4"),
};

// The row of the control with this object name; the table's size for a control bound to no field.
inline std::size_t BindingRow(QAnyStringView control) {
    std::size_t row = 0;
    while (row < std::size(kFieldBindings) && control != QLatin1StringView(kFieldBindings[row].Control))
        ++row;
    return row;
}

} // namespace editor
