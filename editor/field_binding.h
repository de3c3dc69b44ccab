// The binding of the editing controls to the document: each control's tag, and the field of the
// field tables it edits. The tags the layout sets, the field edits and the display all follow this
// one table.
#pragma once

#include "mission_model.h"
#include "skirmish_layout.h"

#include <QString>
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string_view>
#include <type_traits>

namespace editor {

struct TFieldBinding {
    const char* Control; // the control's object name
    int Tag;
    bool InFlightGroup;                 // a field of the selected flight group, not a mission-wide one
    int Offset = 0;                     // the control shows the stored value plus this
    mission::layout::TRange Shown = {}; // the values the control allows, as it shows them
    // The stored value, in group for a flight group field, else in mission; and storing one, cut to
    // the field's width.
    std::int32_t (*Value)(const mission::TMission& mission, const mission::TFlightGroup& group) = nullptr;
    void (*Store)(mission::TMission& mission, mission::TFlightGroup& group, std::int32_t value) = nullptr;
};

namespace binding {

// The record that holds a member: the selected flight group, or one of the mission's.
template <class Record, class Mission, class Group> constexpr auto& RecordIn(Mission& mission, Group& group) {
    if constexpr (std::is_same_v<Record, mission::TFlightGroup>)
        return group;
    else if constexpr (std::is_same_v<Record, mission::TMissionSettings>)
        return mission.Settings;
    else if constexpr (std::is_same_v<Record, mission::TMissionHeader>)
        return mission.Header;
    else
        return mission.Trailer;
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

// A field's binding, from the place the field tables give it. A head field's tag is its byte in the
// stored head less 2 (tag 0 is CraftType), a settings or trailer field's its number there from 1,
// and an element of the flight group's body or of the header bytes has its index from 1.
template <auto Member, std::size_t Element = 0> consteval TFieldBinding Bind(const char* control) {
    using namespace mission;
    using Record = typename layout::MemberType<decltype(Member)>::Record;
    using Field = typename layout::MemberType<decltype(Member)>::Type;
    constexpr bool inFlightGroup = std::is_same_v<Record, TFlightGroup>;
    int tag = static_cast<int>(Element) + 1;
    layout::TFieldInfo info;
    if constexpr (!std::is_integral_v<Field>) {
        static_assert(Element < std::tuple_size_v<Field>, "the list has no such element");
    } else {
        const layout::TPlace place = inFlightGroup ? layout::PlaceOf(layout::kHeadFields, Member)
                                     : std::is_same_v<Record, TMissionSettings>
                                         ? layout::PlaceOf(layout::kSettingsFields, Member)
                                         : layout::PlaceOf(layout::kTrailerFields, Member);
        if (!place.Found)
            throw "the layout lists no such field";
        tag = static_cast<int>(inFlightGroup ? place.Offset - 2 : place.Position + 1);
        info = place.Info;
    }
    return {control,
            tag,
            inFlightGroup,
            info.ShownOffset,
            info.Shown,
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
    Bind<&mission::TMissionSettings::TeamCount>("NumTeamsBox"), // stored by its own handler
    Bind<&mission::TMissionSettings::Arena>("ArenaBox"),
    Bind<&mission::TMissionSettings::StartDistance>("StartDistSpin"),
    Bind<&mission::TMissionSettings::GlobalsValue>("Edit1"),
    Bind<&mission::TMissionHeader::HeaderBytes, 0>("Edit2"),
    Bind<&mission::TMissionHeader::HeaderBytes, 4>("Edit3"),
    Bind<&mission::TMissionHeader::HeaderBytes, 5>("Edit4"),
};

// The values the control with this object name allows, as it shows them.
constexpr mission::layout::TRange ShownRange(std::string_view control) {
    for (const TFieldBinding& binding : kFieldBindings)
        if (control == binding.Control)
            return binding.Shown;
    throw std::out_of_range("no field is bound to this control");
}

// The binding of the control with this object name; nullptr for a control bound to no field.
inline const TFieldBinding* FindBinding(QStringView control) {
    for (const TFieldBinding& binding : kFieldBindings)
        if (control == QLatin1StringView(binding.Control))
            return &binding;
    return nullptr;
}

} // namespace editor
