// Reading and writing the document field a control is bound to.
#include "field_binding.h"

#include "skirmish_file.h"

#include <QString>
#include <stdexcept>

namespace editor {

namespace {

std::size_t Index(int tagFromOne, std::size_t size) {
    if (tagFromOne < 1 || static_cast<std::size_t>(tagFromOne) > size)
        throw std::out_of_range("field tag out of range");
    return static_cast<std::size_t>(tagFromOne - 1);
}

} // namespace

const TFieldBinding* FindBinding(QStringView control) {
    for (const TFieldBinding& binding : kFieldBindings)
        if (control == QLatin1StringView(binding.Control))
            return &binding;
    return nullptr;
}

std::int32_t FieldValue(const mission::TMission& mission, const mission::TFlightGroup& group,
                        TRecordKind kind, int tag) {
    switch (kind) {
    case TRecordKind::Head:
        return mission::HeadByte(group, kFirstHeadTagByte + tag);
    case TRecordKind::Body:
        return group.Body[Index(tag, group.Body.size())];
    case TRecordKind::Settings: {
        mission::TMissionSettings settings = mission.Settings;
        return mission::SettingsField(settings, tag);
    }
    case TRecordKind::HeaderBytes:
        return mission.Header.HeaderBytes[Index(tag, mission.Header.HeaderBytes.size())];
    case TRecordKind::Trailer: {
        mission::TMissionTrailer trailer = mission.Trailer;
        return mission::TrailerField(trailer, tag);
    }
    }
    throw std::out_of_range("unknown record kind");
}

void SetFieldValue(mission::TMission& mission, mission::TFlightGroup& group, TRecordKind kind, int tag,
                   std::int32_t value) {
    switch (kind) {
    case TRecordKind::Head:
        mission::SetHeadByte(group, kFirstHeadTagByte + tag, static_cast<std::uint8_t>(value & 0xFF));
        return;
    case TRecordKind::Body:
        group.Body[Index(tag, group.Body.size())] = value;
        return;
    case TRecordKind::Settings:
        mission::SettingsField(mission.Settings, tag) = value;
        return;
    case TRecordKind::HeaderBytes:
        mission.Header.HeaderBytes[Index(tag, mission.Header.HeaderBytes.size())] =
            static_cast<std::uint8_t>(value & 0xFF);
        return;
    case TRecordKind::Trailer:
        mission::TrailerField(mission.Trailer, tag) =
            static_cast<std::int16_t>(static_cast<std::uint16_t>(value & 0xFFFF));
        return;
    }
}

} // namespace editor
