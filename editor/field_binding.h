// The binding of the editing controls to the document: each control's tag, the record it edits and
// the field the tag addresses there. The tags the layout sets, the field edits and the display all
// follow this one table.
#pragma once

#include "mission_model.h"
#include "skirmish_layout.h"

#include <QStringView>
#include <array>
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string_view>
#include <type_traits>

namespace editor {

// The records a control can edit; the control's tag addresses the field inside it.
enum class TRecordKind {
    Head,        // the flight group's head byte 2 + tag, low 8 bits
    Body,        // the flight group's Body[tag - 1], 32 bits
    Settings,    // mission settings field number tag, counted from 1, 32 bits
    HeaderBytes, // the header's HeaderBytes[tag - 1], low 8 bits
    Trailer,     // trailer field number tag, counted from 1, low 16 bits
};

struct TFieldBinding {
    const char* Control; // the control's object name
    int Tag;
    TRecordKind Kind;
    int Offset = 0;                     // the control shows the stored value plus this
    mission::layout::TRange Shown = {}; // the values the control allows, as it shows them
};

inline constexpr int kFirstHeadTagByte = 2; // tag 0 is the head's CraftType byte

// A field's binding, from the place the layout gives the field: a head field's tag is its byte in
// the stored head less kFirstHeadTagByte, a settings or trailer field's its number there from 1.
template <class Record, class T> consteval TFieldBinding Bind(const char* control, T Record::*member) {
    using namespace mission;
    const bool head = std::is_same_v<Record, TFlightGroup>;
    const bool settings = std::is_same_v<Record, TMissionSettings>;
    const layout::TPlace place = head       ? layout::PlaceOf(layout::kHeadFields, member)
                                 : settings ? layout::PlaceOf(layout::kSettingsFields, member)
                                            : layout::PlaceOf(layout::kTrailerFields, member);
    if (!place.Found)
        throw "the layout lists no such field";
    return {control, static_cast<int>(head ? place.Offset - kFirstHeadTagByte : place.Position + 1),
            head       ? TRecordKind::Head
            : settings ? TRecordKind::Settings
                       : TRecordKind::Trailer,
            place.Info.ShownOffset, place.Info.Shown};
}
// An element of the flight group's body or of the header bytes: its tag is its index from 1.
template <class Record, class T, std::size_t N>
consteval TFieldBinding Bind(const char* control, std::array<T, N> Record::*, std::size_t element) {
    if (element >= N)
        throw "the list has no such element";
    const bool body = std::is_same_v<Record, mission::TFlightGroup>;
    return {control, static_cast<int>(element) + 1, body ? TRecordKind::Body : TRecordKind::HeaderBytes};
}

// In the order the display fills the controls.
inline constexpr TFieldBinding kFieldBindings[] = {
    Bind("ShipBox", &mission::TFlightGroup::CraftType),
    Bind("AIBox", &mission::TFlightGroup::AiLevel),
    Bind("Wavespin", &mission::TFlightGroup::WavesMinusOne),
    Bind("SizeSpin", &mission::TFlightGroup::CraftPerWave),
    Bind("OrderBox", &mission::TFlightGroup::Order),
    Bind("MissleBox", &mission::TFlightGroup::Warhead),
    Bind("CounterBox", &mission::TFlightGroup::Countermeasure),
    Bind("BeamBox", &mission::TFlightGroup::Beam),
    Bind("PriChk", &mission::TFlightGroup::Primary),
    Bind("FG2Unk1Ed", &mission::TFlightGroup::Body, 11),
    Bind("FG2Unk2Ed", &mission::TFlightGroup::Body, 20),
    Bind("FG2Unk3Ed", &mission::TFlightGroup::Body, 25),
    Bind("FG2Unk4Ed", &mission::TFlightGroup::Body, 28),
    Bind("FG2Unk5Ed", &mission::TFlightGroup::Body, 29),
    Bind("MissionTypeBox", &mission::TMissionTrailer::MissionType),
    Bind("NumTeamsBox", &mission::TMissionSettings::TeamCount), // stored by its own handler
    Bind("ArenaBox", &mission::TMissionSettings::Arena),
    Bind("StartDistSpin", &mission::TMissionSettings::StartDistance),
    Bind("Edit1", &mission::TMissionSettings::GlobalsValue),
    Bind("Edit2", &mission::TMissionHeader::HeaderBytes, 0),
    Bind("Edit3", &mission::TMissionHeader::HeaderBytes, 4),
    Bind("Edit4", &mission::TMissionHeader::HeaderBytes, 5),
};

// The values the control with this object name allows, as it shows them.
constexpr mission::layout::TRange ShownRange(std::string_view control) {
    for (const TFieldBinding& binding : kFieldBindings)
        if (control == binding.Control)
            return binding.Shown;
    throw std::out_of_range("no field is bound to this control");
}

// Whether the field lies in the selected flight group rather than in the mission-wide records.
constexpr bool InFlightGroup(TRecordKind kind) {
    return kind == TRecordKind::Head || kind == TRecordKind::Body;
}

// The binding of the control with this object name; nullptr for a control bound to no field.
const TFieldBinding* FindBinding(QStringView control);

// The stored value of a bound field: in group for the flight group records, else in mission.
std::int32_t FieldValue(const mission::TMission& mission, const mission::TFlightGroup& group,
                        TRecordKind kind, int tag);

// Stores a value in a bound field, cut to the field's width.
void SetFieldValue(mission::TMission& mission, mission::TFlightGroup& group, TRecordKind kind, int tag,
                   std::int32_t value);

} // namespace editor
