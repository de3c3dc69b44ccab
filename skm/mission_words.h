// The words quarnel-skm gives a mission's stored values: the texts of the option lists and the
// craft catalogue, the file's 8-bit texts as UTF-8, and each field's name as show prints it.
#pragma once

#include "mission_model.h"
#include "skirmish_layout.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace skm {

// The list entry that shows value, without the trailing space some entries carry; nothing for a
// value without an entry.
std::optional<std::string_view> EntryText(std::span<const std::string_view> entries, std::int64_t value);

// The text of a zero-padded 8-bit field, up to its first zero, as UTF-8.
std::string FieldUtf8(std::span<const std::uint8_t> field);

// True when a byte after the field's text is not zero: the field then holds more than its text.
bool HasBytesAfterText(std::span<const std::uint8_t> field);

// Calls visit(label, info, value) for every stored field of the mission in show's order: the
// header, each flight group by slot (head, body, name), the settings, the team goals, the trailer.
// The label is the field's name, after "FG 3 " in a flight group.
template <class Visit> void VisitLabelled(const mission::TMission& mission, Visit&& visit) {
    using namespace mission::layout;
    VisitParts(mission, [&](const auto& part, auto records) {
        for (std::size_t i = 0; i < records.size(); ++i) {
            const std::string prefix =
                kEachGroup<decltype(part.record)> ? "FG " + std::to_string(i + 1) + " " : "";
            VisitDescribed(records[i], part.fields, [&](const TFieldInfo& info, const auto& value) {
                visit(prefix + std::string(info.Name), info, value);
            });
        }
    });
}

// The label of one element of a list whose elements are shown one a line: "TeamGoal 2".
std::string ElementLabel(const std::string& label, std::size_t index);

} // namespace skm
