// The binding of the editing controls to the document: each control's tag, the record it edits and
// the field the tag addresses there. The tags the layout sets, the field edits and the display all
// follow this one table.
#pragma once

#include "mission_model.h"

#include <QStringView>
#include <cstdint>

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
    int Offset = 0; // the control shows the stored value plus this; the wave count alone has one
};

// In the order the display fills the controls.
inline constexpr TFieldBinding kFieldBindings[] = {
    {"ShipBox", 0, TRecordKind::Head},           // CraftType
    {"AIBox", 12, TRecordKind::Head},            // AiLevel
    {"Wavespin", 10, TRecordKind::Head, 1},      // WavesMinusOne, shown plus one
    {"SizeSpin", 11, TRecordKind::Head},         // CraftPerWave
    {"OrderBox", 13, TRecordKind::Head},         // Order
    {"MissleBox", 14, TRecordKind::Head},        // Warhead
    {"CounterBox", 15, TRecordKind::Head},       // Countermeasure
    {"BeamBox", 16, TRecordKind::Head},          // Beam
    {"PriChk", 17, TRecordKind::Head},           // Primary
    {"FG2Unk1Ed", 12, TRecordKind::Body},        // Body[11]
    {"FG2Unk2Ed", 21, TRecordKind::Body},        // Body[20]
    {"FG2Unk3Ed", 26, TRecordKind::Body},        // Body[25]
    {"FG2Unk4Ed", 29, TRecordKind::Body},        // Body[28]
    {"FG2Unk5Ed", 30, TRecordKind::Body},        // Body[29]
    {"MissionTypeBox", 1, TRecordKind::Trailer}, // MissionType
    {"NumTeamsBox", 1, TRecordKind::Settings},   // TeamCount (stored by its own handler)
    {"ArenaBox", 3, TRecordKind::Settings},      // Arena
    {"StartDistSpin", 4, TRecordKind::Settings}, // StartDistance
    {"Edit1", 5, TRecordKind::Settings},         // GlobalsValue
    {"Edit2", 1, TRecordKind::HeaderBytes},      // HeaderBytes[0]
    {"Edit3", 5, TRecordKind::HeaderBytes},      // HeaderBytes[4]
    {"Edit4", 6, TRecordKind::HeaderBytes},      // HeaderBytes[5]
};

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
